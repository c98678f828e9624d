#pragma once

#include "widgets/DialogWindow.h"

#include <QPointer>

class QCalendarWidget;
class QLabel;
class QLineEdit;
class QPushButton;

/** Picks a date from a month calendar and writes it into the caller's box given by setTarget(). */
class TfrmCalendario : public DialogWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmCalendario)
public:
    explicit TfrmCalendario(QWidget *owner);

    /** The expiry-date box the chosen date goes into (lblMemory then reads "datasca"). */
    void setTarget(QLineEdit *box);

private:
    void btnImportaDataClick();
    void btnAnnullaClick();

    QCalendarWidget *calAppuntamenti;
    QPushButton *btnAnnulla;
    QPushButton *btnImportaData;
    QLabel *lblMemory;
    QPointer<QLineEdit> m_target;
};
