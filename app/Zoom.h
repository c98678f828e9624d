#pragma once

#include "widgets/DialogWindow.h"

class PhotoBox;
class QImage;

/** The card's photo as large as the screen allows; a click closes it. */
class TfrmZoom : public DialogWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmZoom)
public:
    explicit TfrmZoom(QWidget *owner);

    void setPicture(const QImage &picture);

protected:
    void formShow() override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *panContainer;
    PhotoBox *imgFoto;
};
