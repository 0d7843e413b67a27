#include "exchange/AccessBook.h"

#include "platform/VarnelError.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <vector>

#include <mdbtools.h>

namespace {
MdbHandle *handle(void *p) { return static_cast<MdbHandle *>(p); }
} // namespace

bool AccessBook::looksLikeAccess(const QString &path)
{
    QFile f(path);
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = f.read(32);
    return head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB";
}

AccessBook::AccessBook(const QString &path) : m_path(path)
{
    const QString name = QFileInfo(path).fileName();
    if (!looksLikeAccess(path))
        throw VarnelError(
            QCoreApplication::translate("AccessBook", "%1 is not a database in the Access format")
                .arg(name));
    MdbHandle *mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!mdb)
        throw VarnelError(
            QCoreApplication::translate("AccessBook",
                                        "%1 cannot be read: it is damaged or of an Access version "
                                        "that cannot be read")
                .arg(name));
    m_mdb = mdb;
    if (mdb->f->jet_version != MDB_VER_JET3 && mdb->f->jet_version != MDB_VER_JET4) {
        mdb_close(mdb);
        m_mdb = nullptr;
        throw VarnelError(
            QCoreApplication::translate("AccessBook",
                                        "%1 is of a later Access version than Jet 3 or 4, which "
                                        "cannot be read")
                .arg(name));
    }
    if (!mdb_read_catalog(mdb, MDB_TABLE)) {
        mdb_close(mdb);
        m_mdb = nullptr;
        throw VarnelError(QCoreApplication::translate(
                              "AccessBook", "%1 cannot be read: its list of tables is damaged")
                              .arg(name));
    }
    mdb_set_date_fmt(mdb, "%Y-%m-%d %H:%M:%S");
}

AccessBook::~AccessBook()
{
    if (m_mdb)
        mdb_close(handle(m_mdb));
}

QStringList AccessBook::tables() const
{
    QStringList names;
    MdbHandle *mdb = handle(m_mdb);
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto *e = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (e->object_type == MDB_TABLE && mdb_is_user_table(e))
            names << QString::fromUtf8(e->object_name);
    }
    return names;
}

struct AccessBook::Table::Private
{
    MdbHandle *mdb = nullptr;
    MdbTableDef *table = nullptr;
    // libmdb writes a value into its column's buffer and silently cuts what
    // does not fit (a long memo); the buffers grow when a value fills one.
    std::size_t bindSize = 0;
    std::vector<std::vector<char>> bound;
    std::vector<int> lengths;
    std::vector<int> types;

    void bind(std::size_t size)
    {
        bindSize = size;
        for (std::size_t i = 0; i < bound.size(); ++i) {
            bound[i].assign(size + 1, '\0');
            mdb_bind_column(table, int(i) + 1, bound[i].data(), &lengths[i]);
        }
    }
    bool filled() const
    {
        for (std::size_t i = 0; i < bound.size(); ++i)
            if (types[i] != MDB_OLE && types[i] != MDB_BINARY && std::size_t(lengths[i]) + 1 >= bindSize)
                return true;
        return false;
    }
    bool fetch()
    {
        // The buffer size is the handle's, shared by every table read from it.
        mdb_set_bind_size(mdb, bindSize);
        return mdb_fetch_row(table);
    }
};

namespace {
// Beyond this a value is not text a person typed; it is refused, not cut.
constexpr std::size_t kLongestValue = std::size_t(256) << 20;
} // namespace

AccessBook::Table::Table(AccessBook &book, const QString &name, std::size_t firstBuffer)
    : d(std::make_unique<Private>())
{
    m_file = QFileInfo(book.path()).fileName();
    MdbHandle *mdb = handle(book.m_mdb);
    d->mdb = mdb;
    // Reading a table reads the catalog again, which wants the library's own
    // buffer size.
    mdb_set_bind_size(mdb, MDB_BIND_SIZE);
    QByteArray n = name.toUtf8();
    d->table = mdb_read_table_by_name(mdb, n.data(), MDB_TABLE);
    if (!d->table)
        throw VarnelError(
            QCoreApplication::translate("AccessBook", "%1 holds no table %2; its tables are %3")
                .arg(m_file, name, book.tables().join(", ")));
    mdb_read_columns(d->table);
    const unsigned cols = d->table->num_cols;
    d->bound.resize(cols);
    d->lengths.assign(cols, 0);
    for (unsigned i = 0; i < cols; ++i) {
        auto *c = static_cast<MdbColumn *>(g_ptr_array_index(d->table->columns, i));
        m_titles << QString::fromUtf8(c->name);
        d->types.push_back(c->col_type);
    }
    d->bind(firstBuffer ? firstBuffer : kFirstBuffer);
    mapping = ColumnMapping::guess(m_titles);
    for (unsigned i = 0; i < cols; ++i)
        if (d->types[i] == MDB_OLE || d->types[i] == MDB_BINARY)
            mapping.target[int(i)] = ColumnMapping::LeftOut; // pictures are no text
    rewind();
}

AccessBook::Table::~Table()
{
    if (d->table)
        mdb_free_tabledef(d->table);
}

void AccessBook::Table::rewind()
{
    mdb_rewind_table(d->table);
    m_row = 0;
}

QString AccessBook::Table::where() const
{
    return QCoreApplication::translate("AccessBook", "%1, table %2, row %3")
        .arg(m_file, QString::fromUtf8(d->table->name))
        .arg(m_row);
}

bool AccessBook::Table::nextRow(QStringList &values)
{
    if (!d->fetch())
        return false;
    ++m_row;
    while (d->filled()) {
        // A value may have been cut: read the row again with room to spare.
        if (d->bindSize * 2 > kLongestValue) {
            problems << ImportNote{
                where(), QCoreApplication::translate(
                             "AccessBook", "a value is longer than %1 MB and cannot be read whole")
                             .arg(kLongestValue >> 20)};
            break;
        }
        const qint64 row = m_row;
        d->bind(d->bindSize * 2);
        rewind();
        for (qint64 i = 0; i < row; ++i)
            if (!d->fetch())
                throw VarnelError(
                    QCoreApplication::translate("AccessBook", "%1 changed while it was being read")
                        .arg(where()));
        m_row = row;
    }
    values.clear();
    for (size_t i = 0; i < d->bound.size(); ++i) {
        const int type = d->types[i];
        if (type == MDB_OLE || type == MDB_BINARY) {
            values << (d->lengths[i] > 0 ? QStringLiteral("(binary data)") : QString());
            continue;
        }
        QString v = QString::fromUtf8(d->bound[i].data(), d->lengths[i] > 0 ? d->lengths[i] : 0);
        if (type == MDB_BOOL)
            v = d->lengths[i] > 0 || d->bound[i][0] == '1' ? v : QString();
        values << v.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    }
    return true;
}

bool AccessBook::Table::next(BookRecord &record)
{
    QStringList values;
    if (!nextRow(values))
        return false;
    mapping.toRecord(values, record);
    return true;
}
