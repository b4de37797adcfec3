#pragma once

#include <QString>

// The program's fixed web addresses.
namespace webaddresses
{

// The maker's web site, opened by the info dialog's link and named in the bar's title.
inline const QString maker = QStringLiteral("http://www.tarnholt.example/");
inline const QString makerhost = QStringLiteral("www.tarnholt.example");

// Advertisement pages for the browser pane: the maker's own, shown before a site picked
// from the address book opens, and a placeholder host's, shown before "Go" and a login.
inline const QString makerad = QStringLiteral("http://www.tarnholt.example/ads/ads.asp");
inline const QString placeholderad = QStringLiteral("http://ads.example.com/ads.asp");

} // namespace webaddresses
