#pragma once

#include <QDialog>

class TfrmCambiaPassword : public QDialog
{
    Q_OBJECT
public:
    TfrmCambiaPassword();
};
