#include "TestSupport.h"

#include "shell/Avvio.h"
#include "storage/Clock.h"
#include "storage/ProgramFolder.h"
#include "widgets/OpenURL.h"
#include "widgets/ProgressWindow.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

Sandbox::Sandbox()
    : m_dir(std::make_unique<QTemporaryDir>())
{
    setProgramFolderOverride(m_dir->path());
    Msg::setHandler([this](Msg::Kind kind, const QString &text) {
        messages.append({ kind, text });
        if (kind == Msg::Kind::Confirm || kind == Msg::Kind::YesNoCancel)
            return answers.isEmpty() ? QMessageBox::Yes : answers.takeFirst();
        return QMessageBox::Ok;
    });
    FileDialogs::setHandler([this](FileDialogs::Kind, const QString &title, const QString &filter,
                                const QString &proposed, const QString &suffix) {
        fileDialogs.append({ title, filter, proposed, suffix });
        return nextFiles.isEmpty() ? QString() : nextFiles.takeFirst();
    });
    TMisc::setHandler([this](const QString &text) { opened.append(text); });
    ReportOutput::setHandler([this](ReportOutput::Action action, const PreparedReport &report) {
        reports.append({ action, report });
    });
    Clock::setNow(QDateTime(QDate(2025, 1, 7), QTime(10, 30, 0)));
    TfrmAvvio::setCountsAttention(false);
}

Sandbox::~Sandbox()
{
    Msg::setHandler({});
    FileDialogs::setHandler({});
    TMisc::setHandler({});
    ReportOutput::setHandler({});
    Clock::setNow(QDateTime());
    TfrmAvvio::setCountsAttention(true);
    setProgramFolderOverride(QString());
}

QString Sandbox::folder() const
{
    return programFolder();
}

QStringList Sandbox::messageTexts() const
{
    QStringList texts;
    for (const Shown &m : messages)
        texts << m.text;
    return texts;
}

QByteArray Sandbox::readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

void Sandbox::writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

QString makeJpeg(const QString &path, const QSize &size, const QColor &color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    image.save(path, "JPG");
    return path;
}

void onNextModal(std::function<void(QWidget *)> action)
{
    auto *timer = new QTimer(qApp);
    QPointer<QWidget> before = QApplication::activeModalWidget();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, qApp, [timer, before, action]() {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == before)
            return;
        timer->stop();
        timer->deleteLater();
        action(modal);
    });
    timer->start();
}

ProgressWatcher::ProgressWatcher(const QString &cancelAt, const QString &objectName)
{
    // Each step of the job waits until the window has shown it and this has looked at it.
    ProgressWindow::setStepObserver([this, cancelAt, objectName](QProgressDialog *dialog) {
        if (!dialog || dialog->objectName() != objectName || !dialog->isVisible())
            return;
        accessibleName = dialog->accessibleName();
        wasModal = dialog->isModal() && QApplication::activeModalWidget() == dialog;
        if (labels.isEmpty() || labels.constLast() != dialog->labelText())
            labels.append(dialog->labelText());
        if (!cancelAt.isEmpty() && dialog->labelText().contains(cancelAt)) {
            for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
                if (button->text() == QLatin1String("Annulla"))
                    QTest::mouseClick(button, Qt::LeftButton);
            }
        }
    });
}

ProgressWatcher::~ProgressWatcher()
{
    ProgressWindow::setStepObserver({});
}
