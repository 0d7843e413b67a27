#include "store/BookAddress.h"

#include "platform/VarnelError.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

bool BookAddress::isServer(const QString &address)
{
    const QString a = address.trimmed();
    return a.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
           a.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

namespace {

// libpq writes a socket folder as a percent-encoded host, which QUrl will not
// take as a host: it is read apart.
QString socketHost(QString *uri)
{
    static const QRegularExpression encoded(
        QStringLiteral("^(postgres(?:ql)?://(?:[^@/?]*@)?)(%2F[^:/?]*)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = encoded.match(*uri);
    if (!m.hasMatch())
        return QString();
    const QString host = QUrl::fromPercentEncoding(m.captured(2).toUtf8());
    uri->replace(m.capturedStart(2), m.capturedLength(2), QStringLiteral("socket.invalid"));
    return host;
}

} // namespace

BookAddress::Server BookAddress::parse(const QString &uri)
{
    QString text = uri.trimmed();
    const QString socket = socketHost(&text);
    const QUrl url(text, QUrl::StrictMode);
    if (!isServer(uri) || !url.isValid())
        throw VarnelError(QCoreApplication::translate("BookAddress",
                                                      "'%1' is not a server address; write it as "
                                                      "postgresql://user@host:port/database")
                              .arg(display(uri)));
    Server s;
    s.user = url.userName(QUrl::FullyDecoded);
    s.password = url.password(QUrl::FullyDecoded);
    s.host = socket.isEmpty() ? url.host(QUrl::FullyDecoded) : socket;
    s.port = url.port(-1);
    s.database = url.path(QUrl::FullyDecoded).mid(1);
    QStringList options;
    const QUrlQuery query(url);
    for (const auto &item : query.queryItems(QUrl::FullyDecoded)) {
        if (item.first == QLatin1String("host"))
            s.host = item.second;
        else if (item.first == QLatin1String("port"))
            s.port = item.second.toInt();
        else if (item.first == QLatin1String("user"))
            s.user = item.second;
        else if (item.first == QLatin1String("dbname"))
            s.database = item.second;
        else if (item.first == QLatin1String("password"))
            s.password = item.second;
        else
            options << item.first + '=' + item.second;
    }
    s.options = options.join(';');
    return s;
}

QString BookAddress::uriFor(const Server &s)
{
    QUrl url;
    url.setScheme(QStringLiteral("postgresql"));
    url.setUserName(s.user);
    QUrlQuery query;
    if (s.host.startsWith('/'))
        query.addQueryItem(QStringLiteral("host"), s.host);
    else
        url.setHost(s.host);
    if (s.port > 0)
        url.setPort(s.port);
    url.setPath('/' + s.database);
    for (const QString &o : s.options.split(';', Qt::SkipEmptyParts))
        query.addQueryItem(o.section('=', 0, 0), o.section('=', 1));
    url.setQuery(query);
    QString text = url.toString(QUrl::FullyEncoded);
    // QUrl writes "postgresql:/db" for an empty authority; libpq wants "///".
    if (!text.startsWith(QLatin1String("postgresql://")))
        text.replace(0, int(sizeof("postgresql:") - 1), QStringLiteral("postgresql://"));
    return text;
}

QString BookAddress::display(const QString &address)
{
    if (!isServer(address))
        return address;
    // Plain text work, so that even an address QUrl cannot read loses its
    // password.
    QString text = address.trimmed();
    static const QRegularExpression userPassword(
        QStringLiteral("^(postgres(?:ql)?://[^:@/?]*):[^@/?]*@"),
        QRegularExpression::CaseInsensitiveOption);
    text.replace(userPassword, QStringLiteral("\\1@"));
    static const QRegularExpression passwordItem(QStringLiteral("([?&])password=[^&]*(&|$)"));
    text.replace(passwordItem, QStringLiteral("\\1"));
    while (text.endsWith('&') || text.endsWith('?'))
        text.chop(1);
    return text;
}
