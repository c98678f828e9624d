#pragma once

#include "warehouse/StampaMag.h"

/** Previews the card shown in the warehouse editor. */
class TfrmAnteprimaMag : public CardPrintWindow
{
    Q_OBJECT
public:
    explicit TfrmAnteprimaMag(TfrmMagazzino *editor);
    /** Shows a fresh preview window over `editor`, modally, and frees it when it closes. */
    static void openFrom(TfrmMagazzino *editor);
};
