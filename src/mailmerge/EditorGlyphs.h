#pragma once

#include <QIcon>
#include <QVector>

// The editor's pictures, 16 x 16 with transparent backgrounds, drawn here so
// that they look the same on every desktop theme.
namespace EditorGlyphs {
enum Glyph
{
    New,        // a blank page
    Open,       // an open folder
    Save,       // a floppy disk
    SaveAs,     // a floppy disk with a spark
    Cut,        // scissors
    Copy,       // two pages
    Paste,      // a clipboard with a page
    Close,      // an exit door
    FontChange, // the letters ABC
    Bold,       // a bold B
    Italic,     // a slanted I
    Underline,  // an underlined U
    Expand,     // a double chevron pointing down
    GlyphCount
};

// The whole image list, indexed by Glyph.
QVector<QIcon> imageList();
QIcon icon(Glyph glyph);
} // namespace EditorGlyphs
