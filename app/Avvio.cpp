#include "app/Avvio.h"

TfrmAvvio::TfrmAvvio()
    : Workspace(QStringLiteral(" Vetrinova"), QColor("#5D85A6"))
{
}
