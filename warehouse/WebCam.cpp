#include "warehouse/WebCam.h"

#include "warehouse/Magazzino.h"
#include "widgets/CameraSource.h"
#include "widgets/FileDialogs.h"
#include "widgets/Messages.h"
#include "widgets/PhotoBox.h"
#include "widgets/Resources.h"
#include "widgets/ShapeWidget.h"
#include "widgets/WindowSet.h"

#include <QPushButton>

namespace {
const QSize kPictureSize(366, 274);

/** A framed panel holding one picture box 8 pixels in from its edges. */
PhotoBox *addPicturePanel(QWidget *window, const QString &panelName, const QString &imageName, const QPoint &at)
{
    auto *panel
        = new ShapeWidget(window, QRect(at, QSize(382, 290)), QColor("#F4F8FC"), QColor("#C9DAEA"), QColor("#1F3A5F"));
    panel->setObjectName(panelName);
    return new PhotoBox(panel, imageName, QRect(QPoint(8, 8), kPictureSize));
}
} // namespace

TfrmWebCam::TfrmWebCam(QWidget *owner)
    : DialogWindow(owner, QStringLiteral(" Cattura foto con webcam"), QSize(807, 405), QColor("#4F7397"))
{
    setObjectName(QStringLiteral("frmWebCam"));

    m_imgCamera = addPicturePanel(this, QStringLiteral("panCamera"), QStringLiteral("imgCamera"), QPoint(16, 16));
    m_imgTarget = addPicturePanel(this, QStringLiteral("panTarget"), QStringLiteral("imgTarget"), QPoint(408, 16));
    m_imgCamera->setPicture(Resources::image(QStringLiteral("webcam"), kPictureSize));
    m_imgTarget->setPicture(Resources::image(QStringLiteral("photo-camera"), kPictureSize));
    m_imgBianco = new PhotoBox(this, QStringLiteral("imgBianco"), QRect(QPoint(24, 24), kPictureSize));
    m_imgBianco->setPicture(m_imgCamera->picture());
    m_imgBianco->hide();

    connect(addButton(QStringLiteral("btnAccendi"), QStringLiteral("Accendi webcam"), QRect(16, 312, 382, 34)),
        &QPushButton::clicked, this, &TfrmWebCam::btnAccendiClick);
    connect(addButton(QStringLiteral("btnSpegni"), QStringLiteral("Spegni webcam"), QRect(16, 352, 382, 34)),
        &QPushButton::clicked, this, &TfrmWebCam::btnSpegniClick);
    connect(addButton(QStringLiteral("btnCattura"), QStringLiteral("Cattura foto"), QRect(408, 312, 188, 34)),
        &QPushButton::clicked, this, &TfrmWebCam::btnCatturaClick);
    connect(addButton(
                QStringLiteral("btnSalvaFotogramma"), QStringLiteral("Salva foto su disco"), QRect(603, 312, 188, 34)),
        &QPushButton::clicked, this, &TfrmWebCam::btnSalvaFotogrammaClick);
    connect(
        addButton(QStringLiteral("btnImportaFoto"), QStringLiteral("Importa foto in scheda"), QRect(408, 352, 188, 34)),
        &QPushButton::clicked, this, &TfrmWebCam::btnImportaFotoClick);
    connect(addButton(QStringLiteral("btnClose"), QStringLiteral("Annulla"), QRect(603, 352, 188, 34)),
        &QPushButton::clicked, this, &TfrmWebCam::btnCloseClick);

    m_camCamera = CameraSource::create(this);
    m_camCamera->setObjectName(QStringLiteral("camCamera"));
    connect(m_camCamera, &CameraSource::frameArrived, this, &TfrmWebCam::camCameraFrame);
}

TfrmWebCam::~TfrmWebCam()
{
    m_camCamera->stop();
}

void TfrmWebCam::acquirePhoto(QWidget *editor)
{
    TfrmWebCam dialog(editor);
    dialog.exec();
}

QPushButton *TfrmWebCam::addButton(const QString &name, const QString &text, const QRect &geometry)
{
    auto *button = new QPushButton(text, this);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

void TfrmWebCam::done(int result)
{
    // Every way out (the buttons, Esc) leaves the camera off.
    m_camCamera->stop();
    DialogWindow::done(result);
}

void TfrmWebCam::camCameraFrame(const QImage &frame)
{
    m_imgCamera->setPicture(frame);
}

void TfrmWebCam::btnAccendiClick()
{
    m_camCamera->start();
}

void TfrmWebCam::btnSpegniClick()
{
    m_camCamera->stop();
}

void TfrmWebCam::btnCatturaClick()
{
    // A deep copy: a camera may hand out frames that live in a buffer it reuses.
    m_imgTarget->setPicture(m_imgCamera->picture().copy());
}

void TfrmWebCam::btnSalvaFotogrammaClick()
{
    const QString path = FileDialogs::saveFile(this,
        QStringLiteral("Selezionare la cartella in cui si desidera salvare il file Jpeg."),
        QStringLiteral("File Jpeg (*.jpg)|*.jpg"), QStringLiteral("Foto.jpg"), QStringLiteral("jpg"));
    if (path.isEmpty())
        return;
    if (!savePictureJpeg(m_imgTarget->picture(), path, FileReplace::Place::ChosenByUser))
        Msg::photoNotSaved(this);
}

void TfrmWebCam::btnImportaFotoClick()
{
    m_camCamera->stop();
    if (auto *photo = ownControl<PhotoBox>(WindowSet::instance<TfrmMagazzino>(), QStringLiteral("imgFoto")))
        photo->setPicture(m_imgTarget->picture().copy());
    accept();
}

void TfrmWebCam::btnCloseClick()
{
    m_camCamera->stop();
    reject();
}
