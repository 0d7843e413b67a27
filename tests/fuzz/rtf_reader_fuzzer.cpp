// Feeds any bytes to the letter file reader. An input must end in a document
// or in a VarnelError, never in a crash, a hang or a sanitizer report. A
// document that was read is also written out and read back: the reader must
// accept everything the writer makes.
#include "mailmerge/rtf/RichTextFile.h"
#include "mailmerge/rtf/RtfError.h"
#include "mailmerge/rtf/RtfReader.h"
#include "mailmerge/rtf/RtfWriter.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QTextDocument doc;
    try {
        RtfReader::read(input, &doc);
    } catch (const RtfError &) {
        // A reasoned refusal is a fine outcome; the loader's fallback takes over.
        try {
            RichTextFile::loadBytes(input, &doc);
        } catch (const VarnelError &) {
        }
        return 0;
    }
    const QByteArray written = RtfWriter::write(doc);
    QTextDocument again;
    try {
        RtfReader::read(written, &again);
    } catch (const RtfError &e) {
        std::fprintf(stderr, "the reader refused the writer's own output: %s\n", e.what());
        std::abort();
    }
    if (again.toPlainText() != doc.toPlainText()) {
        std::fprintf(stderr, "text changed in a write and read\n");
        std::abort();
    }
    return 0;
}
