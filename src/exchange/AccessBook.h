#pragma once

#include "exchange/Csv.h"

#include <memory>

// A database in the older Access (Jet 3/4) format, read through libmdb. A
// table of people is read like a CSV file: its column names are the titles,
// mapped to fields the same way.
class AccessBook
{
public:
    // Throws VarnelError when the file is not such a database or cannot be read.
    explicit AccessBook(const QString &path);
    ~AccessBook();
    QStringList tables() const;
    QString path() const { return m_path; }

    // Whether the file begins as an Access database does.
    static bool looksLikeAccess(const QString &path);

    class Table : public RecordSource
    {
    public:
        // Values are read into buffers of `firstBuffer` bytes, made larger
        // as long values need (0: the usual size).
        Table(AccessBook &book, const QString &name, std::size_t firstBuffer = 0);
        static constexpr std::size_t kFirstBuffer = 64 * 1024;
        ~Table() override;
        const QStringList &titles() const { return m_titles; }
        ColumnMapping mapping;
        bool next(BookRecord &record) override;
        bool nextRow(QStringList &values);
        void rewind() override;
        QString where() const override;

    private:
        struct Private;
        std::unique_ptr<Private> d;
        QStringList m_titles;
        QString m_file;
        qint64 m_row = 0;
    };

private:
    friend class Table;
    void *m_mdb = nullptr;
    QString m_path;
};
