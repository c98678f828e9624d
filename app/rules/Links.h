#pragma once

#include <QString>

/** The texts the program's links hand to TMisc::Open. */
namespace Links {
/** The maker's web site, a secure web address. */
QString webSite();
/** The web site as the links show it. */
QString webSiteShown();
/** The maker's mail address. */
QString mailAddress();
/** The mail to the maker, subject and opening sentence filled in, quoted and not encoded. */
QString mailCommand();
/** The manual Guida.pdf of the running program's folder, quoted for folders with blanks. */
QString manualCommand();
} // namespace Links
