#include "exchange/ImportWindow.h"

#include "exchange/AccessBook.h"
#include "exchange/ImportPlan.h"
#include "platform/Guard.h"
#include "platform/Platform.h"
#include "platform/ProgramFolder.h"
#include "store/AdoConnection.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
// Gives the table of an Access file the interface of a source.
class TableSource : public RecordSource
{
public:
    TableSource(AccessBook &book, const QString &name) : table(book, name) {}
    bool next(BookRecord &r) override { return table.next(r); }
    void rewind() override { table.rewind(); }
    QString where() const override { return table.where(); }
    AccessBook::Table table;
};

QString shortLine(const BookRecord &r)
{
    using namespace AddressFields;
    QStringList name;
    for (int f : {Firstname, Midname, Surname})
        if (!r[f].isEmpty())
            name << r[f];
    QString line =
        name.isEmpty() ? QCoreApplication::translate("ImportWindow", "(no name)") : name.join(' ');
    if (!r[Town].isEmpty())
        line += QStringLiteral(", ") + r[Town];
    return line;
}
} // namespace

ImportWindow::ImportWindow(AdoConnection *book, const QString &file, QWidget *parent)
    : QDialog(parent), m_book(book), m_file(file), m_format(Exchange::formatOf(file))
{
    setObjectName(QStringLiteral("fmImport"));
    setWindowTitle(tr("Import"));
    auto *layout = new QVBoxLayout(this);
    m_lbSource = new QLabel(tr("From: ") + QFileInfo(file).absoluteFilePath(), this);
    m_lbSource->setObjectName(QStringLiteral("lbSource"));
    layout->addWidget(m_lbSource);
    m_cbTable = new QComboBox(this);
    m_cbTable->setObjectName(QStringLiteral("cbTable"));
    layout->addWidget(m_cbTable);
    m_tbMapping = new QTableWidget(0, 3, this);
    m_tbMapping->setObjectName(QStringLiteral("tbMapping"));
    m_tbMapping->setHorizontalHeaderLabels({tr("Column"), tr("First value"), tr("Goes to")});
    m_tbMapping->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_tbMapping);
    m_lbSummary = new QLabel(this);
    m_lbSummary->setObjectName(QStringLiteral("lbSummary"));
    m_lbSummary->setWordWrap(true);
    layout->addWidget(m_lbSummary);
    auto *lists = new QHBoxLayout;
    m_lvRecords = new QListWidget(this);
    m_lvRecords->setObjectName(QStringLiteral("lvRecords"));
    m_lvNotes = new QListWidget(this);
    m_lvNotes->setObjectName(QStringLiteral("lvNotes"));
    lists->addWidget(m_lvRecords);
    lists->addWidget(m_lvNotes, 2);
    layout->addLayout(lists);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    m_btnImport = new QPushButton(tr("&Import"), this);
    m_btnImport->setObjectName(QStringLiteral("btnImport"));
    m_btnCancel = new QPushButton(tr("Cancel"), this);
    m_btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(m_btnImport);
    buttons->addWidget(m_btnCancel);
    layout->addLayout(buttons);
    resize(760, 560);

    connect(m_btnImport, &QPushButton::clicked, this, [this] { guarded(this, [this] { runImport(); }); });
    connect(m_btnCancel, &QPushButton::clicked, this, [this] {
        if (m_running)
            m_cancelled = true;
        else
            reject();
    });

    if (m_format == Exchange::Format::Access) {
        m_access = std::make_unique<AccessBook>(file);
        const QStringList tables = m_access->tables();
        m_cbTable->addItems(tables);
        connect(m_cbTable, &QComboBox::currentTextChanged, this,
                [this](const QString &t) { guarded(this, [this, t] { openTable(t); }); });
        const int home = tables.indexOf(QStringLiteral("HomeAd"));
        if (home > 0)
            m_cbTable->setCurrentIndex(home);
        openTable(m_cbTable->currentText());
        if (tables.isEmpty()) {
            m_lbSummary->setText(tr("%1 holds no tables: there is nobody to import.")
                                     .arg(QFileInfo(file).fileName()));
            m_btnImport->setEnabled(false);
        }
    } else {
        m_cbTable->hide();
        m_source = Exchange::open(file, m_format);
        if (m_format == Exchange::Format::Csv)
            m_mapping = &static_cast<CsvReader *>(m_source.get())->mapping;
        else
            m_tbMapping->hide();
        fillMapping();
        rescan();
    }
}

ImportWindow::~ImportWindow() = default;

void ImportWindow::chooseTable(const QString &name) { m_cbTable->setCurrentText(name); }

void ImportWindow::openTable(const QString &name)
{
    m_plan.reset();
    m_source.reset();
    if (name.isEmpty())
        return;
    auto source = std::make_unique<TableSource>(*m_access, name);
    m_mapping = &source->table.mapping;
    m_source = std::move(source);
    fillMapping();
    rescan();
}

void ImportWindow::fillMapping()
{
    if (!m_mapping)
        return;
    QStringList first;
    m_source->rewind();
    if (m_format == Exchange::Format::Csv)
        static_cast<CsvReader *>(m_source.get())->nextRow(first);
    else
        static_cast<TableSource *>(m_source.get())->table.nextRow(first);
    m_source->rewind();
    m_source->problems.clear();
    m_tbMapping->setRowCount(int(m_mapping->titles.size()));
    for (int i = 0; i < m_mapping->titles.size(); ++i) {
        m_tbMapping->setItem(i, 0, new QTableWidgetItem(m_mapping->titles.at(i)));
        m_tbMapping->setItem(i, 1, new QTableWidgetItem(first.value(i).left(60)));
        auto *field = new QComboBox(m_tbMapping);
        field->setObjectName(QStringLiteral("cbField%1").arg(i));
        field->addItem(tr("(a line in Notes)"), int(ColumnMapping::NotesLine));
        field->addItem(tr("(left out)"), int(ColumnMapping::LeftOut));
        if (m_mapping->groups.value(i).kind != ColumnMapping::Group::None) {
            if (m_mapping->groups.at(i).part == QLatin1String("type"))
                field->addItem(tr("(the type of its values)"), int(ColumnMapping::TypeOfValue));
            else
                field->addItem(tr("(placed by its type)"), int(ColumnMapping::ByType));
        }
        for (int f = 0; f < AddressFields::StoredCount; ++f)
            field->addItem(AddressFields::stored().at(f).name, f);
        field->setCurrentIndex(field->findData(m_mapping->target.at(i)));
        connect(field, &QComboBox::currentIndexChanged, this, [this, i, field] {
            const int f = field->currentData().toInt();
            m_mapping->target[i] = f;
            guarded(this, [this] { rescan(); });
        });
        m_tbMapping->setCellWidget(i, 2, field);
    }
}

void ImportWindow::rescan()
{
    m_plan = std::make_unique<ImportPlan>(*m_source);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    try {
        m_plan->scan();
    } catch (...) {
        QApplication::restoreOverrideCursor();
        m_btnImport->setEnabled(false);
        throw;
    }
    QApplication::restoreOverrideCursor();
    m_lvRecords->clear();
    for (const BookRecord &r : m_plan->preview())
        m_lvRecords->addItem(shortLine(r));
    if (m_plan->count() > m_plan->preview().size())
        m_lvRecords->addItem(tr("... and %1 more").arg(m_plan->count() - m_plan->preview().size()));
    m_lvNotes->clear();
    for (const ImportNote &p : m_plan->problems())
        m_lvNotes->addItem(tr("Cannot read: %1: %2").arg(p.where, p.message));
    for (const ImportNote &c : m_plan->cuts())
        m_lvNotes->addItem(tr("Too long, kept whole in Notes: %1: %2").arg(c.where, c.message));
    const QString book = QFileInfo(m_book->fileName()).fileName();
    if (!m_plan->problems().isEmpty())
        m_lbSummary->setText(tr("%1 cannot be imported as it stands: %2 place(s) in it cannot be "
                                "read (listed). Nothing will be written.")
                                 .arg(QFileInfo(m_file).fileName())
                                 .arg(m_plan->problems().size()));
    else if (m_plan->count() == 0)
        m_lbSummary->setText(tr("There is nobody to import."));
    else
        m_lbSummary->setText(tr("%1 record(s) will be added to %2. %3 value(s) are longer than "
                                "their field: the field gets what fits, Notes the whole value.")
                                 .arg(m_plan->count())
                                 .arg(book)
                                 .arg(m_plan->cutCount()));
    m_btnImport->setEnabled(m_plan->writable());
}

void ImportWindow::runImport()
{
    if (!m_plan || !m_plan->writable())
        return;
    m_running = true;
    m_cancelled = false;
    m_btnImport->setEnabled(false);
    m_tbMapping->setEnabled(false);
    qint64 written = 0;
    try {
        written = m_plan->apply(*m_book, [this](qint64 n) {
            m_lbSummary->setText(tr("Writing... %1 of %2").arg(n).arg(m_plan->count()));
            QApplication::processEvents();
            return !m_cancelled;
        });
    } catch (...) {
        m_running = false;
        m_btnImport->setEnabled(true);
        m_tbMapping->setEnabled(true);
        throw;
    }
    m_running = false;
    m_btnCancel->setText(tr("Close"));
    if (m_cancelled) {
        m_lbSummary->setText(tr("Cancelled: nothing was added; the book is as it was."));
        m_btnImport->setEnabled(true);
        m_tbMapping->setEnabled(true);
        return;
    }
    m_lbSummary->setText(tr("Added %1 record(s) to %2; %3 value(s) were kept whole in Notes.")
                             .arg(written)
                             .arg(QFileInfo(m_book->fileName()).fileName())
                             .arg(m_plan->cutCount()));
    emit imported(written);
}

namespace {
// A name typed without a folder goes beside the books, not wherever the
// program was started.
QString besideBooks(const QString &typed)
{
    const QString t = typed.trimmed();
    return t.isEmpty() || !QFileInfo(t).isRelative() ? t : ProgramFolder::path() + t;
}
} // namespace

ExportWindow::ExportWindow(AdoConnection *book, std::function<QStringList()> selection, QWidget *parent)
    : QDialog(parent), m_book(book), m_selection(std::move(selection))
{
    setObjectName(QStringLiteral("fmExport"));
    setWindowTitle(tr("Export"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("The records the grid shows are written."), this));
    m_cbFormat = new QComboBox(this);
    m_cbFormat->setObjectName(QStringLiteral("cbFormat"));
    m_cbFormat->addItem(tr("vCard 3.0 (*.vcf)"), 3);
    m_cbFormat->addItem(tr("vCard 4.0 (*.vcf)"), 4);
    m_cbFormat->addItem(tr("CSV, UTF-8 (*.csv)"), 0);
    layout->addWidget(m_cbFormat);
    auto *row = new QHBoxLayout;
    m_edFile = new QLineEdit(this);
    m_edFile->setObjectName(QStringLiteral("edFile"));
    auto *browse = new QPushButton(tr("&Browse..."), this);
    browse->setObjectName(QStringLiteral("btnBrowse"));
    row->addWidget(m_edFile);
    row->addWidget(browse);
    layout->addLayout(row);
    m_lbSummary = new QLabel(this);
    m_lbSummary->setObjectName(QStringLiteral("lbSummary"));
    layout->addWidget(m_lbSummary);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    m_btnExport = new QPushButton(tr("&Export"), this);
    m_btnExport->setObjectName(QStringLiteral("btnExport"));
    auto *close = new QPushButton(tr("Close"), this);
    close->setObjectName(QStringLiteral("btnClose"));
    buttons->addWidget(m_btnExport);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(browse, &QPushButton::clicked, this, [this] { guarded(this, [this] { this->browse(); }); });
    connect(m_btnExport, &QPushButton::clicked, this, [this] { guarded(this, [this] { runExport(); }); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

void ExportWindow::browse()
{
    FileDialogRequest r;
    r.filters = {m_cbFormat->currentText()};
    r.defaultSuffix = m_cbFormat->currentData().toInt() ? QStringLiteral("vcf") : QStringLiteral("csv");
    // Where the user's books are, as every other file dialog starts, or
    // where the file named so far is.
    const QString typed = besideBooks(m_edFile->text());
    r.folder = typed.isEmpty() ? ProgramFolder::path() : QFileInfo(typed).absolutePath();
    r.fileName = typed.isEmpty() ? QFileInfo(m_book->fileName()).completeBaseName() + '.' + r.defaultSuffix
                                 : QFileInfo(typed).fileName();
    const QString chosen = Platform::dialogs().saveFile(this, r);
    if (!chosen.isEmpty())
        m_edFile->setText(chosen);
}

void ExportWindow::runExport()
{
    const QString path = besideBooks(m_edFile->text());
    if (path.isEmpty()) {
        browse();
        if (m_edFile->text().trimmed().isEmpty())
            return;
        return runExport();
    }
    const int version = m_cbFormat->currentData().toInt();
    const qint64 n = Exchange::exportSelection(*m_book, m_selection(), path,
                                               version ? Exchange::Format::VCard : Exchange::Format::Csv,
                                               version ? version : 3);
    m_lbSummary->setText(tr("Wrote %1 record(s) to %2.").arg(n).arg(QFileInfo(path).fileName()));
}
