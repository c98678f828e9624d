// The start-up reference: the least a Qt 6 widgets program does to show a dialog like the password
// window (a picture, a caption, a password box, three buttons), timed the way Vetrinova is: with
// VETRINOVA_STARTUP_PROBE set it prints the monotonic clock in nanoseconds once the dialog has first
// been painted, and quits. Linked only to Qt Core, Gui and Widgets.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {
class Probe : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            QTimer::singleShot(0, this, [] {
                timespec now {};
                clock_gettime(CLOCK_MONOTONIC, &now);
                std::printf("painted %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_seen = false;
};
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral(" Accesso"));
    dialog.setFixedSize(388, 405);
    QPalette blue = dialog.palette();
    blue.setColor(QPalette::Window, QColor(0x46, 0x82, 0xB4));
    dialog.setPalette(blue);
    dialog.setAutoFillBackground(true);

    QImage logo(328, 160, QImage::Format_RGB32);
    logo.fill(Qt::white);
    QPainter(&logo).drawEllipse(logo.rect().adjusted(20, 20, -20, -20));
    auto *picture = new QLabel(&dialog);
    picture->setGeometry(30, 30, 328, 160);
    picture->setPixmap(QPixmap::fromImage(logo));
    auto *caption = new QLabel(QStringLiteral("Immetti la password e premi OK."), &dialog);
    caption->move(50, 214);
    caption->adjustSize();
    auto *box = new QLineEdit(&dialog);
    box->setGeometry(50, 236, 230, 22);
    box->setEchoMode(QLineEdit::Password);
    auto *ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setGeometry(294, 230, 49, 33);
    auto *quit = new QPushButton(QStringLiteral("Esci"), &dialog);
    quit->setGeometry(22, 352, 146, 32);
    auto *change = new QPushButton(QStringLiteral("Cambia password"), &dialog);
    change->setGeometry(219, 352, 146, 32);

    Probe probe;
    if (qEnvironmentVariableIsSet("VETRINOVA_STARTUP_PROBE"))
        dialog.installEventFilter(&probe);
    dialog.show();
    return app.exec();
}
