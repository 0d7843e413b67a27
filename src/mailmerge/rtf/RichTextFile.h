#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

// The letter file of the merge document editor: how a file is read into the
// editor's document and how the document is written out. Errors are
// VarnelError with the texts the editor shows.
class RichTextFile
{
public:
    // The largest letter file read; far beyond any letter, pictures and all.
    static constexpr qint64 kSizeLimit = 16 * 1024 * 1024;

    // Reads the file into doc. Raises "Cannot open file <full
    // path>" when it does not exist or cannot be opened (also when it is no
    // regular file or larger than kSizeLimit, saying so), "Failed to Load
    // Stream" when it is neither RTF nor plain text. On an error doc is unchanged.
    // droppedPictures, when given, tells whether pictures or objects of the
    // file were left out.
    static void load(const QString &path, QTextDocument *doc, bool *droppedPictures = nullptr);

    // The reading rule on bytes: RTF first; when the RTF reader reports an error,
    // the same bytes again as plain text; "Failed to Load Stream" when that fails.
    static void loadBytes(const QByteArray &data, QTextDocument *doc,
                          bool *droppedPictures = nullptr);

    // Plain text as the fallback reads it: UTF-8, or Windows-1252 when the bytes
    // are not valid UTF-8; UTF-16 with a byte order mark. False for data holding
    // NUL bytes without such a mark: that is no text file.
    static bool decodePlainText(const QByteArray &data, QString *text);

    // Writes doc as RTF, whatever the name's extension, into a
    // temporary file beside the target that then replaces it, so that a failed
    // save leaves the earlier file as it was. Raises "Cannot create file <full
    // path>" when the file cannot be created, "Failed to Save Stream" when
    // writing fails.
    static void save(const QString &path, const QTextDocument &doc);
};
