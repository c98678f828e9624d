#include "tests/support/FakeCamera.h"
#include "tests/support/TestSupport.h"

#include "shell/Forms.h"
#include "warehouse/Magazzino.h"
#include "warehouse/WebCam.h"
#include "widgets/PhotoBox.h"
#include "widgets/Resources.h"

#include <QCameraDevice>
#include <QLineEdit>
#include <QMediaDevices>
#include <QPushButton>
#include <QTimer>

#include <memory>

namespace {
const QSize kFrameBox(366, 274);

QImage frame(const QSize &size, const QColor &color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

QImage webcamArt()
{
    return Resources::image(QStringLiteral("webcam"), kFrameBox);
}
QImage photoCameraArt()
{
    return Resources::image(QStringLiteral("photo-camera"), kFrameBox);
}
} // namespace

class TestWebCam : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layout_data();
    void layout();
    void illustrationsBeforeAnyFrame();
    void captureWithoutStartingGivesWebcamIllustration();
    void importWithoutCaptureGivesPhotoCameraIllustration();
    void framesReachLiveImageAtTheirOwnSize();
    void captureCopiesTheFrame();
    void spegniThenCatturaCapturesLastFrame();
    void salvaFotoSuDisco_data();
    void salvaFotoSuDisco();
    void importPutsFrameOnTheCard();
    void closingLeavesCardPhoto_data();
    void closingLeavesCardPhoto();
    void importThenSalvaWritesFrameAsCardPhoto();
    void withoutCameraNothingBreaks();
    void programsCameraComesFromItsModule();

private:
    TfrmWebCam *open();
    void click(const char *button);
    PhotoBox *box(const char *name) const { return m_dialog->findChild<PhotoBox *>(QLatin1String(name)); }
    PhotoBox *cardPhoto() const { return ownControl<PhotoBox>(Forms::magazzino(), QStringLiteral("imgFoto")); }

    std::unique_ptr<Sandbox> m_sandbox;
    std::unique_ptr<FakeCameras> m_cameras;
    std::unique_ptr<TfrmWebCam> m_dialog;
};

void TestWebCam::init()
{
    m_sandbox = std::make_unique<Sandbox>();
    m_cameras = std::make_unique<FakeCameras>();
    Forms::createAll();
    TfrmMagazzino *editor = Forms::magazzino();
    editor->handOverFrom(nullptr);
    editor->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(editor));
    cardPhoto()->setPicture(frame(QSize(300, 200), Qt::darkGreen));
}

void TestWebCam::cleanup()
{
    m_dialog.reset();
    Forms::destroyAll();
    m_cameras.reset();
    m_sandbox.reset();
}

TfrmWebCam *TestWebCam::open()
{
    m_dialog = std::make_unique<TfrmWebCam>(Forms::magazzino());
    m_dialog->show();
    return m_dialog.get();
}

void TestWebCam::click(const char *button)
{
    auto *b = m_dialog->findChild<QPushButton *>(QLatin1String(button));
    QVERIFY2(b, button);
    QTest::mouseClick(b, Qt::LeftButton);
}

void TestWebCam::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");

    QTest::newRow("panCamera") << "panCamera" << QRect(16, 16, 382, 290) << "";
    QTest::newRow("imgCamera") << "imgCamera" << QRect(24, 24, 366, 274) << "";
    QTest::newRow("panTarget") << "panTarget" << QRect(408, 16, 382, 290) << "";
    QTest::newRow("imgTarget") << "imgTarget" << QRect(416, 24, 366, 274) << "";
    QTest::newRow("btnAccendi") << "btnAccendi" << QRect(16, 312, 382, 34) << "Accendi webcam";
    QTest::newRow("btnSpegni") << "btnSpegni" << QRect(16, 352, 382, 34) << "Spegni webcam";
    QTest::newRow("btnCattura") << "btnCattura" << QRect(408, 312, 188, 34) << "Cattura foto";
    QTest::newRow("btnSalvaFotogramma") << "btnSalvaFotogramma" << QRect(603, 312, 188, 34) << "Salva foto su disco";
    QTest::newRow("btnImportaFoto") << "btnImportaFoto" << QRect(408, 352, 188, 34) << "Importa foto in scheda";
    QTest::newRow("btnClose") << "btnClose" << QRect(603, 352, 188, 34) << "Annulla";
}

void TestWebCam::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);

    open();
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral(" Cattura foto con webcam"));
    QCOMPARE(m_dialog->size(), QSize(807, 405));
    auto *w = m_dialog->findChild<QWidget *>(name);
    QVERIFY(w);
    QVERIFY(w->isVisible());
    QCOMPARE(QRect(w->mapTo(m_dialog.get(), QPoint(0, 0)), w->size()), geometry);
    if (auto *button = qobject_cast<QPushButton *>(w))
        QCOMPARE(button->text(), text);
}

void TestWebCam::illustrationsBeforeAnyFrame()
{
    open();
    QVERIFY(!webcamArt().isNull());
    QVERIFY(webcamArt() != photoCameraArt());
    QCOMPARE(box("imgCamera")->picture(), webcamArt());
    QCOMPARE(box("imgTarget")->picture(), photoCameraArt());
    QVERIFY(box("imgBianco")->isHidden());
    QCOMPARE(box("imgBianco")->picture(), webcamArt());
    QVERIFY(m_cameras->last);
    QCOMPARE(m_cameras->last->objectName(), QStringLiteral("camCamera"));
    QVERIFY(!m_cameras->last->isStarted());
}

void TestWebCam::captureWithoutStartingGivesWebcamIllustration()
{
    open();
    click("btnCattura");
    QCOMPARE(box("imgTarget")->picture(), webcamArt());
}

void TestWebCam::importWithoutCaptureGivesPhotoCameraIllustration()
{
    open();
    click("btnImportaFoto");
    QCOMPARE(cardPhoto()->picture(), photoCameraArt());
    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
    QVERIFY(!m_dialog->isVisible());
}

void TestWebCam::framesReachLiveImageAtTheirOwnSize()
{
    open();
    click("btnAccendi");
    QVERIFY(m_cameras->last->isStarted());
    // Smaller and larger than the frame on screen: neither is scaled.
    for (const QSize &size : { QSize(320, 240), QSize(1920, 1080) }) {
        const QImage f = frame(size, Qt::blue);
        m_cameras->last->feed(f);
        QCOMPARE(box("imgCamera")->picture().size(), size);
        QCOMPARE(box("imgCamera")->picture(), f);
    }
    QVERIFY(box("imgCamera")->grab().toImage().pixelColor(183, 137) == QColor(Qt::blue));
}

void TestWebCam::captureCopiesTheFrame()
{
    open();
    click("btnAccendi");
    // Like a camera that decodes every frame into the same buffer.
    QImage buffer = frame(QSize(640, 480), Qt::red);
    const QImage mapped(buffer.constBits(), buffer.width(), buffer.height(), buffer.bytesPerLine(), buffer.format());
    m_cameras->last->feed(mapped);
    click("btnCattura");
    buffer.fill(Qt::yellow);
    m_cameras->last->feed(mapped);

    QCOMPARE(box("imgCamera")->picture().pixelColor(0, 0), QColor(Qt::yellow));
    QCOMPARE(box("imgTarget")->picture(), frame(QSize(640, 480), Qt::red));
}

void TestWebCam::spegniThenCatturaCapturesLastFrame()
{
    open();
    click("btnAccendi");
    m_cameras->last->feed(frame(QSize(640, 480), Qt::red));
    m_cameras->last->feed(frame(QSize(800, 600), Qt::cyan));
    click("btnSpegni");
    QVERIFY(!m_cameras->last->isStarted());
    QCOMPARE(box("imgCamera")->picture(), frame(QSize(800, 600), Qt::cyan));
    click("btnCattura");
    QCOMPARE(box("imgTarget")->picture(), frame(QSize(800, 600), Qt::cyan));
    // The camera can be switched on again after Spegni.
    click("btnAccendi");
    m_cameras->last->feed(frame(QSize(640, 480), Qt::magenta));
    QCOMPARE(box("imgCamera")->picture().pixelColor(0, 0), QColor(Qt::magenta));
}

void TestWebCam::salvaFotoSuDisco_data()
{
    QTest::addColumn<QString>("answer"); // relative to the sandbox folder; "-" cancels
    QTest::addColumn<bool>("written");
    QTest::addColumn<bool>("reported");

    QTest::newRow("saved") << "Prodotto.jpg" << true << false;
    QTest::newRow("cancelled") << "-" << false << false;
    QTest::newRow("folder missing") << "manca/Prodotto.jpg" << false << true;
}

void TestWebCam::salvaFotoSuDisco()
{
    QFETCH(QString, answer);
    QFETCH(bool, written);
    QFETCH(bool, reported);

    const QString path = answer == QLatin1String("-") ? QString() : m_sandbox->path(answer);
    m_sandbox->nextFiles << path;
    open();
    click("btnAccendi");
    const QImage f = frame(QSize(640, 480), QColor(200, 40, 40));
    m_cameras->last->feed(f);
    click("btnCattura");
    click("btnSalvaFotogramma");

    QCOMPARE(m_sandbox->fileDialogs.size(), 1);
    QCOMPARE(m_sandbox->fileDialogs.first(),
        QStringList({ "Selezionare la cartella in cui si desidera salvare il file Jpeg.", "File Jpeg (*.jpg)|*.jpg",
            "Foto.jpg", "jpg" }));
    // A frame that could not be saved is reported and stays, so it can be saved elsewhere.
    QCOMPARE(m_sandbox->messageTexts(),
        reported ? QStringList { "Attenzione: non è stato possibile salvare la foto; il disco potrebbe essere pieno." }
                 : QStringList());
    QCOMPARE(box("imgTarget")->picture(), f);
    const QImage saved = loadPicture(m_sandbox->path(answer));
    QCOMPARE(!saved.isNull(), written);
    if (written) {
        QCOMPARE(saved.size(), f.size());
        const QColor c = saved.pixelColor(320, 240);
        QVERIFY2(qAbs(c.red() - 200) < 8 && qAbs(c.green() - 40) < 8, qPrintable(c.name()));
    }
}

void TestWebCam::importPutsFrameOnTheCard()
{
    open();
    click("btnAccendi");
    const QImage f = frame(QSize(1280, 720), Qt::darkBlue);
    m_cameras->last->feed(f);
    click("btnCattura");
    m_cameras->last->feed(frame(QSize(1280, 720), Qt::white));
    click("btnImportaFoto");

    QVERIFY(!m_cameras->last->isStarted());
    QVERIFY(!m_dialog->isVisible());
    m_dialog.reset();
    QCOMPARE(cardPhoto()->picture(), f);
}

void TestWebCam::closingLeavesCardPhoto_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("Annulla") << false;
    QTest::newRow("Esc") << true;
}

void TestWebCam::closingLeavesCardPhoto()
{
    QFETCH(bool, escape);
    const QImage before = cardPhoto()->picture();
    open();
    click("btnAccendi");
    m_cameras->last->feed(frame(QSize(640, 480), Qt::red));
    click("btnCattura");
    if (escape)
        QTest::keyClick(m_dialog.get(), Qt::Key_Escape);
    else
        click("btnClose");

    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
    QVERIFY(!m_cameras->last->isStarted());
    QCOMPARE(cardPhoto()->picture(), before);
}

void TestWebCam::importThenSalvaWritesFrameAsCardPhoto()
{
    TfrmMagazzino *editor = Forms::magazzino();
    for (const auto &[name, text] :
        { std::pair { "txtCodice", "ART-1" }, { "txtCosto", "3,50" }, { "txtNome", "Vaso" }, { "txtUM", "Scatola" },
            { "txtTipologia", "Casa" }, { "txtCaratteristiche", "Ceramica" }, { "txtPrezzo", "7,00" } })
        ownControl<QLineEdit>(editor, QLatin1String(name))->setText(QLatin1String(text));
    const QImage f = frame(QSize(640, 480), QColor(30, 60, 200));
    bool ran = false;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<TfrmWebCam *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QCOMPARE(dialog->parentWidget(), editor);
        auto clickOn = [dialog](const char *name) {
            QTest::mouseClick(dialog->findChild<QPushButton *>(QLatin1String(name)), Qt::LeftButton);
        };
        clickOn("btnAccendi");
        m_cameras->last->feed(f);
        clickOn("btnCattura");
        clickOn("btnImportaFoto");
        ran = true;
    });
    TfrmWebCam::acquirePhoto(editor);

    QVERIFY(ran);
    QVERIFY(editor->findChildren<TfrmWebCam *>().isEmpty());
    QVERIFY(!m_cameras->last); // destroyed with its dialog
    QCOMPARE(cardPhoto()->picture(), f);

    QTest::mouseClick(ownControl<QWidget>(editor, QStringLiteral("btnSalva")), Qt::LeftButton);
    QCOMPARE(m_sandbox->messageTexts(),
        QStringList({ QStringLiteral("La scheda corrente \u00e8 stata inserita in archivio.") }));
    const QImage saved = loadPicture(m_sandbox->path(QStringLiteral("1.jpg")));
    QCOMPARE(saved.size(), f.size());
    const QColor c = saved.pixelColor(320, 240);
    QVERIFY2(qAbs(c.red() - 30) < 8 && qAbs(c.green() - 60) < 8 && qAbs(c.blue() - 200) < 8, qPrintable(c.name()));
}

void TestWebCam::withoutCameraNothingBreaks()
{
    if (!QMediaDevices::videoInputs().isEmpty())
        QSKIP("this machine has a camera");
    m_cameras.reset(); // the program's own camera
    open();
    click("btnAccendi");
    click("btnCattura");
    click("btnSpegni");
    QCOMPARE(box("imgCamera")->picture(), webcamArt());
    QCOMPARE(box("imgTarget")->picture(), webcamArt());
    QCOMPARE(m_sandbox->messages.size(), 0);
    click("btnAccendi");
    click("btnClose");
    QVERIFY(!m_dialog->isVisible());
}

// The camera is a module loaded on first use: a build or package without it would have no camera at all.
void TestWebCam::programsCameraComesFromItsModule()
{
    QVERIFY(CameraSource::systemCameraLoads());
}

VETRINOVA_TEST_MAIN(TestWebCam)
#include "tst_webcam.moc"
