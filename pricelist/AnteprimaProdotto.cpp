#include "pricelist/AnteprimaProdotto.h"

TfrmAnteprimaProdotto::TfrmAnteprimaProdotto(QWidget *editor)
    : PagePrintWindow(editor, Output::Preview)
{
    setObjectName(QStringLiteral("frmAnteprimaProdotto"));
}

void TfrmAnteprimaProdotto::openFrom(QWidget *editor)
{
    TfrmAnteprimaProdotto window(editor);
    window.exec();
}
