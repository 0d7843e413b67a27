#include "exchange/AccessBook.h"

#include "platform/VarnelError.h"

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
        throw VarnelError(QStringLiteral("%1 is not a database in the Access format").arg(name));
    MdbHandle *mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!mdb)
        throw VarnelError(QStringLiteral("%1 cannot be read: it is damaged or of an Access version "
                                         "that cannot be read")
                              .arg(name));
    m_mdb = mdb;
    if (mdb->f->jet_version != MDB_VER_JET3 && mdb->f->jet_version != MDB_VER_JET4) {
        mdb_close(mdb);
        m_mdb = nullptr;
        throw VarnelError(QStringLiteral("%1 is of a later Access version than Jet 3 or 4, which "
                                         "cannot be read")
                              .arg(name));
    }
    if (!mdb_read_catalog(mdb, MDB_TABLE)) {
        mdb_close(mdb);
        m_mdb = nullptr;
        throw VarnelError(QStringLiteral("%1 cannot be read: its list of tables is damaged").arg(name));
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
    MdbTableDef *table = nullptr;
    std::vector<std::vector<char>> bound;
    std::vector<int> lengths;
    std::vector<int> types;
};

AccessBook::Table::Table(AccessBook &book, const QString &name) : d(std::make_unique<Private>())
{
    m_file = QFileInfo(book.path()).fileName();
    MdbHandle *mdb = handle(book.m_mdb);
    QByteArray n = name.toUtf8();
    d->table = mdb_read_table_by_name(mdb, n.data(), MDB_TABLE);
    if (!d->table)
        throw VarnelError(QStringLiteral("%1 holds no table %2; its tables are %3")
                              .arg(m_file, name, book.tables().join(", ")));
    mdb_read_columns(d->table);
    const unsigned cols = d->table->num_cols;
    d->bound.assign(cols, std::vector<char>(mdb->bind_size + 1));
    d->lengths.assign(cols, 0);
    for (unsigned i = 0; i < cols; ++i) {
        auto *c = static_cast<MdbColumn *>(g_ptr_array_index(d->table->columns, i));
        m_titles << QString::fromUtf8(c->name);
        d->types.push_back(c->col_type);
        mdb_bind_column(d->table, int(i) + 1, d->bound[i].data(), &d->lengths[i]);
    }
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
    return QStringLiteral("%1, table %2, row %3").arg(m_file, QString::fromUtf8(d->table->name)).arg(m_row);
}

bool AccessBook::Table::nextRow(QStringList &values)
{
    if (!mdb_fetch_row(d->table))
        return false;
    ++m_row;
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
