#include "warehouse/AnteprimaMag.h"

TfrmAnteprimaMag::TfrmAnteprimaMag(QWidget *editor)
    : CardPrintWindow(editor, Output::Preview)
{
    setObjectName(QStringLiteral("frmAnteprimaMag"));
}

void TfrmAnteprimaMag::openFrom(QWidget *editor)
{
    TfrmAnteprimaMag window(editor);
    window.exec();
}
