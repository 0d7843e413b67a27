#include "exchange/TextInput.h"

#include "platform/VarnelError.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {
constexpr qint64 kChunk = 1 << 16;

// What Windows-1252 puts at 0x80..0x9F; the rest is Latin-1.
const char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString fromCp1252(const QByteArray &bytes)
{
    QString s(bytes.size(), Qt::Uninitialized);
    QChar *out = s.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar c = uchar(bytes.at(i));
        out[i] = c >= 0x80 && c < 0xA0 ? QChar(kCp1252High[c - 0x80]) : QChar(c);
    }
    return s;
}
} // namespace

TextInput::TextInput(const QString &path) : m_file(path), m_name(QFileInfo(path).fileName())
{
    const QFileInfo info(path);
    if (!info.isFile() || !m_file.open(QIODevice::ReadOnly))
        throw VarnelError(QCoreApplication::translate("TextInput", "Cannot open file %1")
                              .arg(info.absoluteFilePath()));
    rewind();
}

void TextInput::rewind()
{
    m_file.seek(0);
    m_buf.clear();
    m_pos = 0;
    m_eof = false;
    m_line = 0;
    m_kind = Plain;
    m_decoder.reset();
    const QByteArray head = m_file.peek(4);
    if (head.startsWith("\xEF\xBB\xBF")) {
        m_file.seek(3);
    } else if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF")) {
        m_kind = head.startsWith("\xFF\xFE") ? Utf16LE : Utf16BE;
        m_file.seek(2);
        m_decoder = std::make_unique<QStringDecoder>(
            m_kind == Utf16LE ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
    }
}

bool TextInput::fill()
{
    if (m_eof)
        return false;
    const QByteArray raw = m_file.read(kChunk);
    if (raw.isEmpty()) {
        m_eof = true;
        return false;
    }
    const QByteArray bytes = m_decoder ? QString((*m_decoder)(raw)).toUtf8() : raw;
    if (m_decoder && m_decoder->hasError())
        throw VarnelError(QCoreApplication::translate(
                              "TextInput", "%1, line %2: the file is not readable UTF-16 text")
                              .arg(m_name)
                              .arg(m_line + 1));
    m_buf = m_buf.mid(m_pos) + bytes;
    m_pos = 0;
    return true;
}

bool TextInput::readLine(QByteArray &line, QByteArray *end)
{
    line.clear();
    if (end)
        end->clear();
    for (;;) {
        const char *d = m_buf.constData();
        const qsizetype n = m_buf.size();
        qsizetype i = m_pos;
        while (i < n && d[i] != '\n' && d[i] != '\r' && d[i] != '\0')
            ++i;
        if (i < n && d[i] == '\0')
            throw VarnelError(QCoreApplication::translate(
                                  "TextInput", "%1, line %2: the file holds binary data, not text")
                                  .arg(m_name)
                                  .arg(m_line + 1));
        // A CR at the very end of the buffer may be the first half of CRLF.
        if (i < n && !(d[i] == '\r' && i + 1 == n && !m_eof)) {
            line.append(d + m_pos, i - m_pos);
            qsizetype after = i + 1;
            if (d[i] == '\r' && after < n && d[after] == '\n')
                ++after;
            if (end)
                *end = QByteArray(d + i, after - i);
            m_pos = after;
            ++m_line;
            return true;
        }
        line.append(d + m_pos, i - m_pos);
        m_pos = i;
        if (!fill()) {
            if (m_pos < m_buf.size()) { // a lone CR at the very end
                m_pos = m_buf.size();
                if (end)
                    *end = "\r";
            }
            if (line.isEmpty() && (!end || end->isEmpty()))
                return false;
            ++m_line;
            return true;
        }
    }
}

QString TextInput::decode(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString s = utf8(bytes);
    return utf8.hasError() ? fromCp1252(bytes) : s;
}

QString TextInput::decode(const QByteArray &bytes, const QByteArray &charset)
{
    const QByteArray c = charset.toLower();
    if (c.isEmpty() || c == "utf-8" || c == "utf8" || c == "us-ascii")
        return decode(bytes);
    if (c == "windows-1252" || c == "cp1252" || c == "iso-8859-1" || c == "latin1")
        return fromCp1252(bytes);
    QStringDecoder other(c.constData());
    if (other.isValid()) {
        const QString s = other(bytes);
        if (!other.hasError())
            return s;
    }
    return decode(bytes);
}
