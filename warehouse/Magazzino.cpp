#include "warehouse/Magazzino.h"

TfrmMagazzino::TfrmMagazzino()
    : Workspace(QStringLiteral(" Vetrinova - Magazzino Prodotti"), QColor("#9DB5CA"))
{ }
