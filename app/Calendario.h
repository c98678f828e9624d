#pragma once

#include "widgets/DialogWindow.h"

class QCalendarWidget;
class QLabel;
class QPushButton;

/** Picks a date from a month calendar and writes it into the box of the caller named by lblMemory. */
class TfrmCalendario : public DialogWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmCalendario)
public:
    explicit TfrmCalendario(QWidget *owner);

private:
    void btnImportaDataClick();
    void btnAnnullaClick();

    QCalendarWidget *calAppuntamenti;
    QPushButton *btnAnnulla;
    QPushButton *btnImportaData;
    QLabel *lblMemory;
};
