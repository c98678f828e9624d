#include "pricelist/AnteprimaProdotto.h"

TfrmAnteprimaProdotto::TfrmAnteprimaProdotto(TfrmListinoPrezzi *editor)
    : PagePrintWindow(editor, Output::Preview)
{
    setObjectName(QStringLiteral("frmAnteprimaProdotto"));
}

void TfrmAnteprimaProdotto::openFrom(TfrmListinoPrezzi *editor)
{
    TfrmAnteprimaProdotto window(editor);
    window.exec();
}
