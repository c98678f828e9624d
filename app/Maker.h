#pragma once

#include <QString>

/** Who makes the program, as the start window, the credits and the about window show it. */
namespace Maker {
inline const QString Name = QStringLiteral("Orvenza Software");
/** The maker's web site, opened by the start window's strip and the credits window's link. */
inline const QString WebSite = QStringLiteral("https://www.orvenza.it");
} // namespace Maker
