#pragma once

#include "widgets/DialogWindow.h"

#include <QList>

class QLabel;
class QLineEdit;
class QPushButton;
class ResultPanel;

/**
 * The warehouse search: up to ten boxes of partial text, the sorted list of the cards found, the
 * in-list find, the list print, and the double click that brings the chosen card to the caller.
 */
class TfrmTrovaMagazzino : public DialogWindow
{
    Q_OBJECT
public:
    explicit TfrmTrovaMagazzino(QWidget *owner);

    /** Opens a fresh search owned by the warehouse editor, to fill it with the card chosen. */
    static void openFrom(QWidget *editor);

    void btnCercaClick();

protected:
    TfrmTrovaMagazzino(QWidget *owner, const QString &caption);

    void formShow() override;
    void done(int result) override;
    void keyPressEvent(QKeyEvent *event) override;

    /** A double click on the entry of `record`: loads that card for the caller, then closes. */
    virtual void lstRecordsDblClick(qint64 record);
    /** The caller tag of `lblMemory`, trimmed. */
    QString callerTag() const;
    /** Names what a double click loads, and into what ("magazzino", "prodotto_A" ...). */
    void setCallerTag(const QString &tag);

private:
    void buildSearchPanel();

    QWidget *m_panAvvio = nullptr;
    ResultPanel *m_results = nullptr;
    QList<QLineEdit *> m_boxes;
    QLabel *m_lblAttendere = nullptr;
    QLabel *m_lblConta = nullptr;
    QLabel *m_lblMemory = nullptr;
};
