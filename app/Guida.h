#pragma once

#include "app/rules/HelpTopics.h"
#include "widgets/DialogWindow.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class LinkLabel;
class PictureButton;

/** The help window: a topic chosen by the caller and a link to the manual Guida.pdf. */
class TfrmGuida : public DialogWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmGuida)
public:
    explicit TfrmGuida(QWidget *owner);

    /** Opens the help on `topic` over `owner`, modally, and frees it when it closes. */
    static void showTopic(QWidget *owner, HelpTopic topic);

    void setTopic(HelpTopic topic);
    void setTopic(const QString &title, const QString &text);

    void btnChiudiClick();
    void lnkWebClick();

private:
    QLabel *m_lblTitolo;
    QPlainTextEdit *m_txtGuida;
    LinkLabel *m_lnkWeb;
};
