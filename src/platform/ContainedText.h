#pragma once

#include <QString>
#include <QTextDocument>
#include <QUrl>
#include <QVariant>

// Rich text that came from a file or the clipboard is only ever shown with
// what it carries itself. Qt would otherwise load any picture, style sheet or
// page that the text names by path or URL, straight from the disk: a saved
// report or a pasted web page could then read any file, or hang on a pipe.
namespace ContainedText {

// What a document gets for a resource it names: a picture given inline as a
// "data:" URL is decoded (within sane bounds); every other name gets an empty
// placeholder, so that nothing falls back to reading the named file.
QVariant resource(int type, const QUrl &name);

// The deepest nesting of tables the program lays out. Deeper nesting only
// comes from a made-up file, and Qt's layout recurses once per level.
constexpr int kMaxTableDepth = 16;
// How deeply the HTML nests tables (counting "<table" against "</table").
int tableDepth(const QString &html);

} // namespace ContainedText

// A text document that loads no resource from outside its own content.
class ContainedTextDocument : public QTextDocument
{
public:
    using QTextDocument::QTextDocument;

protected:
    QVariant loadResource(int type, const QUrl &name) override
    {
        return ContainedText::resource(type, name);
    }
};
