#include "reports/PreparedReport.h"

#include "platform/ContainedText.h"
#include "platform/InputFile.h"
#include "platform/VarnelError.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDataStream>
#include <QFile>
#include <QSaveFile>
#include <array>
#include <cmath>

// The saved report file (".VRP"), version 1. All numbers big-endian.
//
//   header   8 bytes  "VARNELRP"
//            quint16  format version (1)
//            quint16  reserved, 0
//            quint32  length of the body in bytes
//            quint32  CRC-32 (IEEE) of the body
//   body     quint8   orientation: 0 portrait, 1 landscape (paper is always A4)
//            string   title
//            quint32  number of pages, then for each page:
//              quint32  number of items, then for each item:
//                quint8   kind (PreparedItem::Kind)
//                double×4 rect: x, y, width, height in 0.1 mm
//                quint32  colour as ARGB
//                TextLine:  string text, font, double baseline
//                FrameLine: quint8 edge
//                RichText:  string HTML, double clip height
//   font     string family, double point size, qint16 weight, quint8 style bits
//            (1 italic, 2 underline, 4 strike-out)
//   string   quint32 byte count, then that many bytes of UTF-8
//
// The checksum lets a damaged file be told apart from a good one; the reader
// also checks every count and value against what the body can hold, so a file
// made to look valid cannot make it allocate or draw absurdities.

namespace {

constexpr char kMagic[8] = {'V', 'A', 'R', 'N', 'E', 'L', 'R', 'P'};
constexpr quint16 kVersion = 1;
constexpr int kHeaderSize = 8 + 2 + 2 + 4 + 4;
constexpr qreal kMaxCoordinate = 1e6; // 100 m in 0.1 mm: far beyond any paper
constexpr quint8 kItalic = 1, kUnderline = 2, kStrikeOut = 4;
// Far beyond the largest report a book can make (tens of thousands of labels).
constexpr quint32 kMaxBodySize = 512u * 1024 * 1024;

quint32 crc32(const QByteArray &data)
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (const char ch : data)
        crc = table[(crc ^ quint8(ch)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

class BodyWriter
{
public:
    explicit BodyWriter(QByteArray *out) : m_buffer(out)
    {
        m_buffer.open(QIODevice::WriteOnly);
        m_stream.setDevice(&m_buffer);
        m_stream.setByteOrder(QDataStream::BigEndian);
        m_stream.setFloatingPointPrecision(QDataStream::DoublePrecision);
    }
    void u8(quint8 v) { m_stream << v; }
    void u32(quint32 v) { m_stream << v; }
    void i16(qint16 v) { m_stream << v; }
    void real(qreal v) { m_stream << double(v); }
    void string(const QString &s)
    {
        const QByteArray utf8 = s.toUtf8();
        m_stream << quint32(utf8.size());
        m_stream.writeRawData(utf8.constData(), int(utf8.size()));
    }

private:
    QBuffer m_buffer;
    QDataStream m_stream;
};

class BodyReader
{
public:
    explicit BodyReader(const QByteArray &body) : m_body(body) {}

    [[noreturn]] static void damaged()
    {
        throw VarnelError(QCoreApplication::translate(
            "PreparedReport", "The file is not a saved report or is damaged"));
    }
    qint64 remaining() const { return m_body.size() - m_pos; }
    void need(qint64 n) const
    {
        if (n < 0 || n > remaining())
            damaged();
    }
    quint8 u8()
    {
        need(1);
        return quint8(m_body.at(m_pos++));
    }
    quint32 u32()
    {
        need(4);
        quint32 v = 0;
        for (int i = 0; i < 4; ++i)
            v = (v << 8) | quint8(m_body.at(m_pos++));
        return v;
    }
    qint16 i16()
    {
        need(2);
        const quint16 hi = quint8(m_body.at(m_pos++));
        const quint16 lo = quint8(m_body.at(m_pos++));
        return qint16((hi << 8) | lo);
    }
    qreal real(qreal min = -kMaxCoordinate, qreal max = kMaxCoordinate)
    {
        need(8);
        quint64 bits = 0;
        for (int i = 0; i < 8; ++i)
            bits = (bits << 8) | quint8(m_body.at(m_pos++));
        double v;
        static_assert(sizeof v == sizeof bits);
        memcpy(&v, &bits, sizeof v);
        if (!std::isfinite(v) || v < min || v > max)
            damaged();
        return v;
    }
    QString string()
    {
        const quint32 n = u32();
        need(n);
        const QByteArray utf8 = m_body.mid(m_pos, n);
        m_pos += n;
        return QString::fromUtf8(utf8);
    }
    bool atEnd() const { return m_pos == m_body.size(); }

private:
    const QByteArray &m_body;
    qint64 m_pos = 0;
};

QString newerVersionMessage()
{
    return QCoreApplication::translate(
        "PreparedReport", "The report was saved by a newer version of Varnel and cannot be read");
}

// The least bytes an item or a page takes, to refuse counts the body cannot hold.
constexpr qint64 kMinItemBytes = 1 + 4 * 8 + 4;
constexpr qint64 kMinPageBytes = 4;

void writeItem(BodyWriter &w, const PreparedItem &item)
{
    w.u8(item.kind);
    w.real(item.rect.x());
    w.real(item.rect.y());
    w.real(item.rect.width());
    w.real(item.rect.height());
    w.u32(item.color.rgba());
    switch (item.kind) {
    case PreparedItem::FilledBox:
        break;
    case PreparedItem::TextLine:
        w.string(item.text);
        w.string(item.font.family);
        w.real(item.font.pointSize);
        w.i16(qint16(item.font.weight));
        w.u8((item.font.italic ? kItalic : 0) | (item.font.underline ? kUnderline : 0) |
             (item.font.strikeOut ? kStrikeOut : 0));
        w.real(item.baseline);
        break;
    case PreparedItem::FrameLine:
        w.u8(item.edge);
        break;
    case PreparedItem::RichText:
        w.string(item.text);
        w.real(item.clipHeight);
        break;
    }
}

PreparedItem readItem(BodyReader &r)
{
    PreparedItem item;
    const quint8 kind = r.u8();
    if (kind > PreparedItem::RichText)
        BodyReader::damaged();
    item.kind = PreparedItem::Kind(kind);
    const qreal x = r.real(), y = r.real();
    const qreal w = r.real(0), h = r.real(0);
    item.rect = QRectF(x, y, w, h);
    item.color = QColor::fromRgba(r.u32());
    switch (item.kind) {
    case PreparedItem::FilledBox:
        break;
    case PreparedItem::TextLine: {
        item.text = r.string();
        item.font.family = r.string();
        item.font.pointSize = r.real(0.1, 2000);
        item.font.weight = r.i16();
        if (item.font.weight < 1 || item.font.weight > 1000)
            BodyReader::damaged();
        const quint8 style = r.u8();
        if (style & ~(kItalic | kUnderline | kStrikeOut))
            BodyReader::damaged();
        item.font.italic = style & kItalic;
        item.font.underline = style & kUnderline;
        item.font.strikeOut = style & kStrikeOut;
        item.baseline = r.real();
        break;
    }
    case PreparedItem::FrameLine: {
        const quint8 edge = r.u8();
        if (edge > PreparedItem::EdgeRight)
            BodyReader::damaged();
        item.edge = PreparedItem::Edge(edge);
        break;
    }
    case PreparedItem::RichText:
        item.text = r.string();
        // Nothing the program makes nests tables this deep; the layout would
        // recurse once per level.
        if (ContainedText::tableDepth(item.text) > ContainedText::kMaxTableDepth)
            BodyReader::damaged();
        item.clipHeight = r.real(0);
        break;
    }
    return item;
}

void putU16(QByteArray &out, quint16 v)
{
    out.append(char(v >> 8));
    out.append(char(v & 0xFF));
}

void putU32(QByteArray &out, quint32 v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.append(char((v >> shift) & 0xFF));
}

quint32 getU32(const QByteArray &in, int at)
{
    quint32 v = 0;
    for (int i = 0; i < 4; ++i)
        v = (v << 8) | quint8(in.at(at + i));
    return v;
}

} // namespace

bool PreparedItem::operator==(const PreparedItem &o) const
{
    return kind == o.kind && rect == o.rect && color.rgba() == o.color.rgba() && text == o.text &&
           (kind != TextLine || (font == o.font && qFuzzyCompare(1 + baseline, 1 + o.baseline))) &&
           (kind != FrameLine || edge == o.edge) &&
           (kind != RichText || qFuzzyCompare(1 + clipHeight, 1 + o.clipHeight));
}

qreal PreparedReport::paperWidthMm() const
{
    return orientation == QPageLayout::Landscape ? 297.0 : 210.0;
}

qreal PreparedReport::paperLengthMm() const
{
    return orientation == QPageLayout::Landscape ? 210.0 : 297.0;
}

void PreparedReport::save(QIODevice &device) const
{
    QByteArray body;
    {
        BodyWriter w(&body);
        w.u8(orientation == QPageLayout::Landscape ? 1 : 0);
        w.string(title);
        w.u32(quint32(pages.size()));
        for (const PreparedPage &page : pages) {
            w.u32(quint32(page.items.size()));
            for (const PreparedItem &item : page.items)
                writeItem(w, item);
        }
    }
    const QByteArray file = framed(body);
    if (device.write(file) != file.size())
        throw VarnelError(
            QCoreApplication::translate("PreparedReport", "Cannot write the report: %1")
                .arg(device.errorString()));
}

QByteArray PreparedReport::framed(const QByteArray &body)
{
    QByteArray file(kMagic, sizeof kMagic);
    putU16(file, kVersion);
    putU16(file, 0);
    putU32(file, quint32(body.size()));
    putU32(file, crc32(body));
    return file + body;
}

PreparedReport PreparedReport::load(QIODevice &device)
{
    const QByteArray header = device.read(kHeaderSize);
    if (header.size() < kHeaderSize || !header.startsWith(QByteArray(kMagic, sizeof kMagic)))
        BodyReader::damaged();
    const quint16 version = quint16((quint8(header.at(8)) << 8) | quint8(header.at(9)));
    const quint16 reserved = quint16((quint8(header.at(10)) << 8) | quint8(header.at(11)));
    if (version == 0 || reserved != 0)
        BodyReader::damaged();
    if (version > kVersion)
        throw VarnelError(newerVersionMessage());
    const quint32 bodySize = getU32(header, 12);
    const quint32 checksum = getU32(header, 16);
    // Read at most what the header states, and never trust it with an
    // allocation: a device that never ends (a pipe, /dev/zero) stops here.
    if (bodySize > kMaxBodySize)
        BodyReader::damaged();
    QByteArray body;
    while (body.size() <= qint64(bodySize)) {
        const QByteArray chunk =
            device.read(std::min<qint64>(1 << 20, qint64(bodySize) + 1 - body.size()));
        if (chunk.isEmpty())
            break;
        body += chunk;
    }
    if (body.size() != qint64(bodySize) || crc32(body) != checksum)
        BodyReader::damaged();

    BodyReader r(body);
    PreparedReport report;
    const quint8 orientation = r.u8();
    if (orientation > 1)
        BodyReader::damaged();
    report.orientation = orientation ? QPageLayout::Landscape : QPageLayout::Portrait;
    report.title = r.string();
    const quint32 pageCount = r.u32();
    r.need(qint64(pageCount) * kMinPageBytes);
    report.pages.reserve(int(pageCount));
    for (quint32 p = 0; p < pageCount; ++p) {
        const quint32 itemCount = r.u32();
        r.need(qint64(itemCount) * kMinItemBytes);
        PreparedPage page;
        page.items.reserve(int(itemCount));
        for (quint32 i = 0; i < itemCount; ++i)
            page.items.append(readItem(r));
        report.pages.append(std::move(page));
    }
    if (!r.atEnd())
        BodyReader::damaged();
    return report;
}

void PreparedReport::saveToFile(const QString &fileName) const
{
    // Written beside the target and moved over it at the end, so a failed save
    // never leaves a half-written report in place of a good one.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw VarnelError(
            QCoreApplication::translate("PreparedReport", "Cannot create file \"%1\". %2")
                .arg(fileName, file.errorString()));
    save(file);
    if (!file.commit())
        throw VarnelError(
            QCoreApplication::translate("PreparedReport", "Cannot write file \"%1\". %2")
                .arg(fileName, file.errorString()));
}

PreparedReport PreparedReport::loadFromFile(const QString &fileName)
{
    // Only a regular file of a sane size: a FIFO would hold the preview up and
    // a device or a runaway file would fill the memory. Thousands of pages
    // stay far below the limit.
    constexpr qint64 sizeLimit = 256 * 1024 * 1024;
    QByteArray bytes = InputFile::read(
        fileName, sizeLimit, QCoreApplication::translate("PreparedReport", "a saved report"));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
        return load(buffer);
    } catch (const VarnelError &e) {
        // A newer file is sound, only not ours to read yet: say that instead.
        if (e.message() == newerVersionMessage())
            throw;
        throw VarnelError(
            QStringLiteral("\"%1\" is not a report file Varnel can show").arg(fileName));
    }
}
