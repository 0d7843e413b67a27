#include "store/BookAddress.h"

#include "platform/VarnelError.h"

#include <QUrl>
#include <QUrlQuery>

bool BookAddress::isServer(const QString &address)
{
    const QString a = address.trimmed();
    return a.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
           a.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

BookAddress::Server BookAddress::parse(const QString &uri)
{
    const QUrl url(uri.trimmed(), QUrl::StrictMode);
    if (!isServer(uri) || !url.isValid())
        throw VarnelError(
            QStringLiteral("'%1' is not a server address; write it as "
                           "postgresql://user@host:port/database")
                .arg(display(uri)));
    Server s;
    s.user = url.userName(QUrl::FullyDecoded);
    s.password = url.password(QUrl::FullyDecoded);
    s.host = url.host(QUrl::FullyDecoded);
    // QUrl will not take a host that is a socket folder; libpq's own form
    // percent-encodes it.
    const QString authority = url.authority(QUrl::FullyEncoded);
    const int at = authority.lastIndexOf('@');
    QString hostPart = authority.mid(at + 1);
    if (hostPart.startsWith(QLatin1String("%2F"), Qt::CaseInsensitive)) {
        const int colon = hostPart.lastIndexOf(':');
        s.host = QUrl::fromPercentEncoding((colon > 0 ? hostPart.left(colon) : hostPart).toUtf8());
    }
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
    QUrl url(address.trimmed());
    if (!url.isValid())
        return QStringLiteral("postgresql://");
    url.setPassword(QString());
    QUrlQuery query(url);
    query.removeAllQueryItems(QStringLiteral("password"));
    url.setQuery(query);
    return url.toString(QUrl::FullyEncoded);
}
