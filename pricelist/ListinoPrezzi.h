#pragma once

#include "app/Workspace.h"

class TfrmListinoPrezzi : public Workspace
{
    Q_OBJECT
public:
    TfrmListinoPrezzi();
};
