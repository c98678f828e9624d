#include "app/Password.h"

TfrmPassword::TfrmPassword()
{
    setObjectName(QStringLiteral("frmPassword"));
}
