#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringDecoder>
#include <memory>

// Reads an outside text file line by line in chunks, never whole. A byte
// order mark (UTF-8, UTF-16 either way) is honoured and UTF-16 arrives as
// UTF-8; a zero byte anywhere else means the file is not text and is refused
// with the line it was found on.
class TextInput
{
public:
    explicit TextInput(const QString &path);
    void rewind();
    // The next line without its end; `end` gets the line break read ("\r\n",
    // "\n", "\r" or empty at the end of the file). False when nothing is left.
    bool readLine(QByteArray &line, QByteArray *end = nullptr);
    int lineNumber() const { return m_line; }
    QString fileName() const { return m_name; }

    // Text of bytes in UTF-8, or Windows-1252 where they are not UTF-8.
    static QString decode(const QByteArray &bytes);
    static QString decode(const QByteArray &bytes, const QByteArray &charset);

private:
    bool fill();
    QFile m_file;
    QString m_name;
    QByteArray m_buf;
    qsizetype m_pos = 0;
    bool m_eof = false;
    int m_line = 0;
    enum { Plain, Utf16LE, Utf16BE } m_kind = Plain;
    std::unique_ptr<QStringDecoder> m_decoder;
};
