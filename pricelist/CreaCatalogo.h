#pragma once

#include "app/Workspace.h"

class TfrmCreaCatalogo : public Workspace
{
    Q_OBJECT
public:
    TfrmCreaCatalogo();
};
