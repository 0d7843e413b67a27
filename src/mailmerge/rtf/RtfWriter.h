#pragma once

#include <QByteArray>

class QTextDocument;

// Writes a QTextDocument as Rich Text Format that word processors open with its
// fonts, sizes, styles, colours, alignment and indents intact. Text outside
// ASCII goes out as \uN with a Windows-1252 fallback (or '?'), characters
// beyond the BMP as surrogate pairs; the output is pure ASCII.
//
// Every paragraph is written with its closing \par, one paragraph to a line.
class RtfWriter
{
public:
    static QByteArray write(const QTextDocument &doc);
};
