#include "warehouse/AnteprimaMag.h"

TfrmAnteprimaMag::TfrmAnteprimaMag(TfrmMagazzino *editor)
    : CardPrintWindow(editor, Output::Preview)
{
    setObjectName(QStringLiteral("frmAnteprimaMag"));
}

void TfrmAnteprimaMag::openFrom(TfrmMagazzino *editor)
{
    TfrmAnteprimaMag window(editor);
    window.exec();
}
