#pragma once

#include <QByteArray>
#include <QTextFormat>

class QTextDocument;

// Reads Rich Text Format as word processors write it into a QTextDocument.
//
// Kept: the font and colour tables, character formatting (font, size, bold,
// italic, underline, strikeout, colour, highlighting, super/subscript), paragraph
// formatting (alignment, left/right/first-line indents, space before/after),
// bulleted and numbered lists (\ls with the list tables, or the older \pn), text
// encoded as \'hh in the document's or the font's code page and as \uN. Fields
// give their result; tables give their text (a tab between cells, a paragraph per
// row). Style sheets, document information, pictures, objects, headers, footers,
// footnotes and ignorable destinations are skipped; unknown control words are
// ignored.
//
// Malformed input (no leading "{\rtf", unbalanced braces, truncation) raises
// RtfError naming the byte offset; the document is then left as it was.
class RtfReader
{
public:
    // The font's \fcharset, kept on each character format so that a file read
    // and written again names the same character sets.
    static constexpr int CharsetProperty = QTextFormat::UserProperty + 0x5246;

    // Replaces the whole content of doc. droppedPictures, when given, tells
    // whether the file held pictures or objects, which were left out.
    static void read(const QByteArray &rtf, QTextDocument *doc, bool *droppedPictures = nullptr);

    // Whether the data at least begins the way every RTF file begins.
    static bool looksLikeRtf(const QByteArray &data);
};
