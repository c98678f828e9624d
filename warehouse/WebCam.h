#pragma once

#include "widgets/DialogWindow.h"

class CameraSource;
class PhotoBox;
class QPushButton;

/**
 * Photographs a product with the computer's camera: the live image on the left, the captured frame
 * on the right, which can be saved as a JPEG file or put on the warehouse editor's card.
 */
class TfrmWebCam : public DialogWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmWebCam)
public:
    explicit TfrmWebCam(QWidget *owner = nullptr);
    ~TfrmWebCam() override;

    /** What the editor's Acquisisci foto does: a fresh dialog owned by `editor`, shown modally, then destroyed. */
    static void acquirePhoto(QWidget *editor);

    void done(int result) override;

private:
    void btnAccendiClick();
    void btnSpegniClick();
    void btnCatturaClick();
    void btnSalvaFotogrammaClick();
    void btnImportaFotoClick();
    void btnCloseClick();
    void camCameraFrame(const QImage &frame);

    QPushButton *addButton(const QString &name, const QString &text, const QRect &geometry);

    PhotoBox *m_imgCamera;
    PhotoBox *m_imgTarget;
    PhotoBox *m_imgBianco;
    CameraSource *m_camCamera;
};
