#pragma once

#include "app/Workspace.h"

class TfrmApriCatalogo : public Workspace
{
    Q_OBJECT
public:
    TfrmApriCatalogo();
};
