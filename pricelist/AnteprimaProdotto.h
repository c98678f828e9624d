#pragma once

#include "pricelist/StampaProdotto.h"

/** Previews the page shown in the page editor. */
class TfrmAnteprimaProdotto : public PagePrintWindow
{
    Q_OBJECT
public:
    explicit TfrmAnteprimaProdotto(TfrmListinoPrezzi *editor);
    /** Shows a fresh preview window over `editor`, modally, and frees it when it closes. */
    static void openFrom(TfrmListinoPrezzi *editor);
};
