#include "mailmerge/rtf/RichTextFile.h"

#include "mailmerge/rtf/RtfCodePage.h"
#include "mailmerge/rtf/RtfError.h"
#include "mailmerge/rtf/RtfReader.h"
#include "mailmerge/rtf/RtfWriter.h"
#include "platform/InputFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTextDocument>

Q_LOGGING_CATEGORY(lcRtfFile, "varnel.rtf", QtInfoMsg)

namespace {

QString fullPath(const QString &path)
{
    return QFileInfo(path).absoluteFilePath();
}

[[noreturn]] void failToLoad()
{
    throw VarnelError(QCoreApplication::translate("RichTextFile", "Failed to Load Stream"));
}

[[noreturn]] void failToSave()
{
    throw VarnelError(QCoreApplication::translate("RichTextFile", "Failed to Save Stream"));
}

[[noreturn]] void cannotCreate(const QString &path)
{
    throw VarnelError(
        QCoreApplication::translate("RichTextFile", "Cannot create file %1").arg(path));
}

} // namespace

void RichTextFile::load(const QString &path, QTextDocument *doc, bool *droppedPictures)
{
    loadBytes(
        InputFile::read(path, kSizeLimit, QCoreApplication::translate("RichTextFile", "a letter")),
        doc, droppedPictures);
}

void RichTextFile::loadBytes(const QByteArray &data, QTextDocument *doc, bool *droppedPictures)
{
    if (droppedPictures)
        *droppedPictures = false;
    try {
        RtfReader::read(data, doc, droppedPictures);
        return;
    } catch (const RtfError &e) {
        qCDebug(lcRtfFile).noquote() << "Reading as plain text:" << e.message();
    }
    QString text;
    if (!decodePlainText(data, &text))
        failToLoad();
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    doc->setPlainText(text);
}

bool RichTextFile::decodePlainText(const QByteArray &data, QString *text)
{
    if (data.startsWith("\xFF\xFE") || data.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(data.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                         : QStringConverter::Utf16BE,
                             QStringConverter::Flag::Stateless);
        *text = utf16.decode(QByteArrayView(data).sliced(2));
        return !utf16.hasError();
    }
    if (data.contains('\0'))
        return false;
    QByteArrayView bytes(data);
    const bool bom = data.startsWith("\xEF\xBB\xBF");
    if (bom)
        bytes = bytes.sliced(3);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString decoded = utf8.decode(bytes);
    if (utf8.hasError() && !bom)
        decoded = RtfCodePage::fromAnsi(bytes.toByteArray());
    *text = decoded;
    return true;
}

void RichTextFile::save(const QString &path, const QTextDocument &doc)
{
    const QString full = fullPath(path);
    const QFileInfo info(full);
    if (info.isDir() || (info.exists() && !info.isWritable()))
        cannotCreate(full);
    const QByteArray data = RtfWriter::write(doc);
    QSaveFile file(full);
    // Unbuffered: a buffered QSaveFile (Qt 6.4) loses a short write in its final
    // flush and then commits the truncated file over the earlier one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        cannotCreate(full);
    if (file.write(data) != data.size() || !file.flush()) {
        file.cancelWriting();
        failToSave();
    }
    if (!file.commit())
        failToSave();
}
