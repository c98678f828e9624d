#include "pricelist/ApriCatalogo.h"

TfrmApriCatalogo::TfrmApriCatalogo()
    : Workspace(QStringLiteral(" Vetrinova - Apertura listino prezzi"), QColor("#4682B4"))
{
}
