#include "pricelist/CreaCatalogo.h"

TfrmCreaCatalogo::TfrmCreaCatalogo()
    : Workspace(QStringLiteral(" Vetrinova - Creazione listino prezzi"), QColor("#4682B4"))
{
}
