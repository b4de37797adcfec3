#include "siteaddress.h"

#include <QUrl>

SiteAddress splitaddress(const QString& address)
{
    SiteAddress parts;
    const qsizetype separator = address.indexOf(QLatin1String("://"));
    const qsizetype start = separator < 0 ? 0 : separator + 3;
    parts.scheme = separator < 0 ? QString() : address.left(separator);
    qsizetype end = start;
    while (end < address.size() && !QStringLiteral("/?#").contains(address[end]))
        ++end;
    // (A negative start would count from the end.)
    const qsizetype at = end > start ? address.lastIndexOf(u'@', end - 1) : -1;
    parts.hasuser = at >= start;
    if (!parts.hasuser) {
        parts.site = address.mid(start);
        return parts;
    }
    const QString userinfo = address.mid(start, at - start);
    const qsizetype colon = userinfo.indexOf(u':');
    parts.haspassword = colon >= 0;
    parts.user = QUrl::fromPercentEncoding(userinfo.left(colon).toUtf8());
    parts.password = parts.haspassword ? QUrl::fromPercentEncoding(userinfo.mid(colon + 1).toUtf8()) : QString();
    parts.site = address.mid(at + 1);
    return parts;
}
