#pragma once

#include "app/Workspace.h"

class TfrmMagazzino : public Workspace
{
    Q_OBJECT
public:
    TfrmMagazzino();
};
