#include "platform/ContainedText.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

namespace {

// A picture inside a letter or a report is a logo or a signature: anything
// bigger is refused rather than decoded.
constexpr qsizetype kMaxPictureBytes = 8 * 1024 * 1024;
constexpr int kMaxPictureSide = 8000;

QImage placeholder()
{
    QImage image(1, 1, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

QImage decodeDataUrl(const QUrl &url)
{
    // data:[<type>][;base64],<payload>
    const QString text = url.toString(QUrl::FullyEncoded);
    const int comma = text.indexOf(',');
    if (comma < 0 || text.size() - comma > kMaxPictureBytes * 2)
        return QImage();
    const QString head = text.mid(5, comma - 5);
    const QByteArray encoded = text.mid(comma + 1).toLatin1();
    const QByteArray bytes = head.endsWith(QLatin1String(";base64"), Qt::CaseInsensitive)
                                 ? QByteArray::fromBase64(QByteArray::fromPercentEncoding(encoded))
                                 : QByteArray::fromPercentEncoding(encoded);
    if (bytes.isEmpty() || bytes.size() > kMaxPictureBytes)
        return QImage();
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxPictureSide || size.height() > kMaxPictureSide)
        return QImage();
    return reader.read();
}

} // namespace

QVariant ContainedText::resource(int type, const QUrl &name)
{
    if (type == QTextDocument::ImageResource) {
        if (name.scheme().compare(QLatin1String("data"), Qt::CaseInsensitive) == 0) {
            const QImage image = decodeDataUrl(name);
            if (!image.isNull())
                return image;
        }
        return placeholder();
    }
    if (type == QTextDocument::StyleSheetResource)
        return QStringLiteral(" ");
    return QByteArray("");
}

int ContainedText::tableDepth(const QString &html)
{
    int depth = 0, deepest = 0;
    for (int at = html.indexOf('<'); at >= 0; at = html.indexOf('<', at + 1)) {
        const bool closing = at + 1 < html.size() && html.at(at + 1) == '/';
        const int nameAt = at + (closing ? 2 : 1);
        if (html.mid(nameAt, 5).compare(QLatin1String("table"), Qt::CaseInsensitive) != 0)
            continue;
        const QChar after = nameAt + 5 < html.size() ? html.at(nameAt + 5) : QChar(' ');
        if (after.isLetterOrNumber())
            continue;
        if (closing)
            depth = std::max(0, depth - 1);
        else
            deepest = std::max(deepest, ++depth);
    }
    return deepest;
}
