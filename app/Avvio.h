#pragma once

#include "app/Workspace.h"

class TfrmAvvio : public Workspace
{
    Q_OBJECT
public:
    TfrmAvvio();
};
