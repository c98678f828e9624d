#include "app/rules/Links.h"

#include "storage/ProgramFolder.h"

QString Links::webSite()
{
    return QStringLiteral("https://www.orvenza.it");
}

QString Links::webSiteShown()
{
    return QStringLiteral("www.orvenza.it");
}

QString Links::mailAddress()
{
    return QStringLiteral("info@orvenza.it");
}

QString Links::mailCommand()
{
    return QLatin1Char('"') + QStringLiteral("mailto:") + mailAddress() + QStringLiteral("?subject=")
        + QStringLiteral("Software Vetrinova") + QStringLiteral("&body=")
        + QStringLiteral("Salve, desidererei avere le seguenti informazioni sul software in oggetto:")
        + QLatin1Char('"');
}

QString Links::manualCommand()
{
    return QLatin1Char('"') + programFolder() + QStringLiteral("Guida.pdf") + QLatin1Char('"');
}
