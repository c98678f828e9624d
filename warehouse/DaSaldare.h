#pragma once

#include "warehouse/WarehouseListWindow.h"

/** The products whose purchase is marked as not paid. */
class TfrmDaSaldare : public WarehouseListWindow
{
    Q_OBJECT
public:
    explicit TfrmDaSaldare(QWidget *owner);

    /** Opens a fresh list owned by the warehouse editor. */
    static void openFrom(QWidget *editor);
};
