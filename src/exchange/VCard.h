#pragma once

#include "exchange/BookRecord.h"
#include "exchange/TextInput.h"

class QIODevice;

// vCard 2.1, 3.0 and 4.0 cards, one person each. The name, the home (else
// first) address, home/cell/work telephones, the first e-mail, the birthday,
// the organisation and the note fill the fields; everything else a person
// typed (more e-mails, addresses and numbers, web addresses, nicknames,
// titles, a birthday without a year) becomes a readable line in Notes.
class VCardReader : public RecordSource
{
public:
    explicit VCardReader(const QString &path);
    bool next(BookRecord &record) override;
    void rewind() override;
    QString where() const override;

private:
    struct Property
    {
        QByteArray name;
        QList<QPair<QByteArray, QByteArray>> params; // upper-case names
        QByteArray rawValue;
        QByteArray param(const char *name) const;
        QList<QByteArray> types() const; // lower case, every spelling
    };
    bool logicalLine(QByteArray &line, int *number);
    bool parse(const QByteArray &line, Property &p) const;
    void problem(int line, const QString &message);
    void fill(const QList<Property> &props, BookRecord &r) const;

    TextInput m_in;
    QByteArray m_pending;
    bool m_hasPending = false;
    int m_pendingLine = 0;
    int m_card = 0;
    int m_cardLine = 0;
};

namespace VCardWriter {
// One card for a record, version 3 or 4, with CRLF line ends and lines
// folded at 75 bytes.
QByteArray card(const BookRecord &r, int version);
}
