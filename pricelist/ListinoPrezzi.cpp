#include "pricelist/ListinoPrezzi.h"

TfrmListinoPrezzi::TfrmListinoPrezzi()
    : Workspace(QStringLiteral(" Vetrinova - Gestione Listino Prezzi"), QColor("#427AA8"))
{
}
