#pragma once

#include "warehouse/WarehouseListWindow.h"

/**
 * The products whose purchase is marked as not paid; or, as the list of overdue payments, only those
 * whose due date is past by the program's clock.
 */
class TfrmDaSaldare : public WarehouseListWindow
{
    Q_OBJECT
public:
    enum class Scope { Unpaid, Overdue };

    explicit TfrmDaSaldare(QWidget *owner, Scope scope = Scope::Unpaid);

    /** Opens a fresh list owned by the warehouse editor. */
    static void openFrom(QWidget *editor, Scope scope = Scope::Unpaid);
};
