#pragma once

#include "exchange/Csv.h"
#include "exchange/Exchange.h"

#include <QDialog>
#include <functional>
#include <memory>

class AccessBook;
class AdoConnection;
class ImportPlan;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

// Brings the people of a vCard, CSV or Access file into the book. Before
// anything is written it shows how many records come in, the first of them,
// the values that do not fit their fields and what cannot be read; for a
// table (CSV, Access) which column goes to which field, to be changed. The
// import lands whole or not at all, and Cancel while it runs undoes it.
class ImportWindow : public QDialog
{
    Q_OBJECT
public:
    ImportWindow(AdoConnection *book, const QString &file, QWidget *parent = nullptr);
    ~ImportWindow() override;
    // Access: which table to read (empty: HomeAd, else the first).
    void chooseTable(const QString &name);

signals:
    void imported(qint64 records);

private:
    void openTable(const QString &name);
    void fillMapping();
    void rescan();
    void runImport();

    AdoConnection *m_book;
    QString m_file;
    Exchange::Format m_format;
    std::unique_ptr<AccessBook> m_access;
    std::unique_ptr<RecordSource> m_source;
    ColumnMapping *m_mapping = nullptr;
    std::unique_ptr<ImportPlan> m_plan;
    bool m_running = false, m_cancelled = false;

    QLabel *m_lbSource, *m_lbSummary;
    QComboBox *m_cbTable;
    QTableWidget *m_tbMapping;
    QListWidget *m_lvRecords, *m_lvNotes;
    QPushButton *m_btnImport, *m_btnCancel;
};

// Writes the selection the grid shows to a vCard or CSV file.
class ExportWindow : public QDialog
{
    Q_OBJECT
public:
    // `selection` gives the statement of the records to write.
    ExportWindow(AdoConnection *book, std::function<QStringList()> selection, QWidget *parent = nullptr);

private:
    void browse();
    void runExport();
    AdoConnection *m_book;
    std::function<QStringList()> m_selection;
    QComboBox *m_cbFormat;
    class QLineEdit *m_edFile;
    QLabel *m_lbSummary;
    QPushButton *m_btnExport;
};
