#include "exchange/Exchange.h"

#include "exchange/AccessBook.h"
#include "exchange/Csv.h"
#include "exchange/ImportPlan.h"
#include "exchange/VCard.h"
#include "platform/ProgramFolder.h"
#include "platform/VarnelError.h"
#include "store/AdoConnection.h"
#include "store/BookCopy.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSaveFile>

using Exchange::Format;

Format Exchange::formatNamed(const QString &name)
{
    const QString n = name.toLower();
    if (n == QLatin1String("vcard") || n == QLatin1String("vcf"))
        return Format::VCard;
    if (n == QLatin1String("csv"))
        return Format::Csv;
    if (n == QLatin1String("access") || n == QLatin1String("mdb"))
        return Format::Access;
    throw VarnelError(QCoreApplication::translate(
                          "Exchange", "'%1' is not a format; the formats are vcard, csv and access")
                          .arg(name));
}

Format Exchange::formatOf(const QString &path)
{
    if (AccessBook::looksLikeAccess(path))
        return Format::Access;
    const QString s = QFileInfo(path).suffix().toLower();
    if (s == QLatin1String("vcf") || s == QLatin1String("vcard"))
        return Format::VCard;
    if (s == QLatin1String("csv") || s == QLatin1String("tsv") || s == QLatin1String("txt"))
        return Format::Csv;
    QFile f(path);
    if (f.open(QIODevice::ReadOnly) && f.read(4096).toUpper().contains("BEGIN:VCARD"))
        return Format::VCard;
    throw VarnelError(QCoreApplication::translate(
                          "Exchange", "Cannot tell what kind of file %1 is; name its format "
                                      "(vCard, CSV or Access)")
                          .arg(QFileInfo(path).fileName()));
}

namespace {
// Owns the Access database its table reads from.
class AccessSource : public RecordSource
{
public:
    AccessSource(const QString &path, QString table, const QString &mapping) : book(path)
    {
        const QStringList tables = book.tables();
        if (table.isEmpty()) {
            if (tables.contains(QStringLiteral("HomeAd"), Qt::CaseInsensitive))
                table = QStringLiteral("HomeAd");
            else if (tables.size() == 1)
                table = tables.first();
            else
                throw VarnelError(
                    QCoreApplication::translate(
                        "Exchange", "%1 holds no table HomeAd; choose one of its tables: %2")
                        .arg(QFileInfo(path).fileName(), tables.join(", ")));
        }
        t = std::make_unique<AccessBook::Table>(book, table);
        if (!mapping.isEmpty())
            t->mapping.apply(mapping);
    }
    bool next(BookRecord &r) override { return t->next(r); }
    void rewind() override { t->rewind(); }
    QString where() const override { return t->where(); }
    AccessBook book;
    std::unique_ptr<AccessBook::Table> t;
};
} // namespace

std::unique_ptr<RecordSource> Exchange::open(const QString &path, Format format, const QString &table,
                                             const QString &mapping)
{
    switch (format) {
    case Format::VCard:
        return std::make_unique<VCardReader>(path);
    case Format::Csv: {
        auto csv = std::make_unique<CsvReader>(path);
        if (!mapping.isEmpty())
            csv->mapping.apply(mapping);
        return csv;
    }
    case Format::Access:
        return std::make_unique<AccessSource>(path, table, mapping);
    }
    return nullptr;
}

qint64 Exchange::exportSelection(AdoConnection &book, const QStringList &statement, const QString &path,
                                 Format format, int vcardVersion)
{
    if (format == Format::Access)
        throw VarnelError(
            QCoreApplication::translate("Exchange", "Address books are exported as vCard or CSV"));
    const AdoConnection::Result rows = book.select(statement.join('\n'), AddressFields::storedNames());
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        throw VarnelError(QCoreApplication::translate("Exchange", "Cannot create file %1")
                              .arg(QFileInfo(path).absoluteFilePath()));
    if (format == Format::Csv)
        out.write(CsvWriter::header());
    BookRecord r;
    for (const AdoConnection::Row &row : rows.rows) {
        for (int i = 0; i < AddressFields::StoredCount; ++i) {
            const QVariant &v = row.values.at(i);
            r[i] = v.typeId() == QMetaType::QByteArray ? TextInput::decode(v.toByteArray()) : v.toString();
        }
        out.write(format == Format::Csv ? CsvWriter::record(r) : VCardWriter::card(r, vcardVersion));
    }
    if (!out.commit())
        throw VarnelError(QCoreApplication::translate("Exchange", "Cannot write file %1: %2")
                              .arg(QFileInfo(path).absoluteFilePath(), out.errorString()));
    return qint64(rows.rows.size());
}

QString Exchange::convertedName(const QString &accessFile)
{
    const QFileInfo info(accessFile);
    const QString base = info.absolutePath() + '/' + info.completeBaseName();
    QString name = base + QStringLiteral(" (converted).vdf");
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = base + QStringLiteral(" (converted %1).vdf").arg(n);
    return name;
}

qint64 Exchange::convert(const QString &accessFile, const QString &target, QStringList *cuts)
{
    AccessSource source(accessFile, QStringLiteral("HomeAd"), QString());
    ImportPlan plan(source);
    plan.scan(0);
    if (!plan.problems().isEmpty())
        throw VarnelError(plan.problems().first().where + ": " + plan.problems().first().message);
    if (QFileInfo::exists(target))
        throw VarnelError(QCoreApplication::translate(
                              "Exchange", "%1 already exists; the converted book needs a new name")
                              .arg(QFileInfo(target).absoluteFilePath()));
    const QString blank = ProgramFolder::file(QStringLiteral("NewFile.vdf"));
    CopyBook(blank, target);
    try {
        AdoConnection book;
        book.setConnectionString(AdoConnection::connectionStringFor(target));
        book.open();
        const qint64 n = plan.apply(book);
        book.close();
        if (cuts)
            for (const ImportNote &c : plan.cuts())
                *cuts << c.where + ": " + c.message;
        return n;
    } catch (...) {
        QFile::remove(target);
        throw;
    }
}
