#pragma once

#include "warehouse/WarehouseListWindow.h"

/** The products whose stock has fallen to or below their warning level. */
class TfrmSottoscorta : public WarehouseListWindow
{
    Q_OBJECT
public:
    explicit TfrmSottoscorta(QWidget *owner);

    /** Opens a fresh list owned by the warehouse editor. */
    static void openFrom(QWidget *editor);
};
