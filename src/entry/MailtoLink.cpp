#include "entry/MailtoLink.h"

#include <QStringList>
#include <QUrl>

namespace {

// The characters an unquoted local part may hold besides letters and digits.
bool localPartChar(QChar c)
{
    static const QString other = QStringLiteral("!#$%&'*+-/=?^_`{|}~.");
    if (c.unicode() > 0x7f)
        return c.isPrint() && !c.isSpace();
    return c.isLetterOrNumber() || other.contains(c);
}

bool validLocalPart(const QString &local)
{
    if (local.isEmpty() || local.size() > 64 || local.startsWith('.') || local.endsWith('.') ||
        local.contains(QLatin1String("..")))
        return false;
    for (const QChar c : local)
        if (!localPartChar(c))
            return false;
    return true;
}

bool validDomain(const QString &domain)
{
    if (domain.isEmpty() || domain.size() > 253)
        return false;
    for (const QString &label : domain.split('.')) {
        if (label.isEmpty() || label.size() > 63 || label.startsWith('-') || label.endsWith('-'))
            return false;
        for (const QChar c : label)
            if (!(c.isLetterOrNumber() || c == '-'))
                return false;
    }
    return true;
}

} // namespace

QString MailtoLink::forAddress(const QString &text)
{
    const QString address = text.trimmed();
    if (address.isEmpty())
        return QStringLiteral("mailto:");
    const qsizetype at = address.lastIndexOf('@');
    if (at < 0)
        return QString();
    const QString local = address.left(at);
    const QString domain = address.mid(at + 1);
    if (!validLocalPart(local) || !validDomain(domain))
        return QString();
    // "?", "&", "%", "#" and "=" are allowed in a local part and would start
    // or split the link's fields, so everything but the plainest characters
    // is encoded; the domain holds only letters, digits, dots and hyphens.
    return QStringLiteral("mailto:") + QString::fromLatin1(QUrl::toPercentEncoding(local)) + '@' +
           QString::fromLatin1(QUrl::toPercentEncoding(domain));
}
