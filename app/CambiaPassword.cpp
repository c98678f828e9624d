#include "app/CambiaPassword.h"

TfrmCambiaPassword::TfrmCambiaPassword()
{
    setObjectName(QStringLiteral("frmCambiaPassword"));
}
