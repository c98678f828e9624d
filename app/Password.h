#pragma once

#include <QDialog>

class TfrmPassword : public QDialog
{
    Q_OBJECT
public:
    TfrmPassword();
};
