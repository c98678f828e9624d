#include "app/Password.h"
#include "shell/Application.h"
#include "shell/CommandLine.h"
#include "shell/CopiaSicurezza.h"
#include "shell/Forms.h"
#include "storage/LogFile.h"
#include "widgets/Logging.h"

#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {
/**
 * With VETRINOVA_STARTUP_PROBE set the program prints the monotonic clock in nanoseconds once the
 * password window has first been painted, and quits: `make bench` times the real start-up with it.
 */
class StartupProbe : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            // Once this paint is done and on screen.
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

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine::Outcome asked = CommandLine::read(arguments);
    if (asked.action != CommandLine::Outcome::Action::Run) {
        std::fputs(asked.text.toLocal8Bit().constData(),
            asked.action == CommandLine::Outcome::Action::Print ? stdout : stderr);
        return asked.exitCode;
    }
    Application app(argc, argv);
    LogFile::install();
    qCInfo(lcUi, "Vetrinova %s started", qUtf8Printable(QCoreApplication::applicationVersion()));
    StartupProbe probe;
    Forms::start();
    // Shown, not yet painted: that happens in the event loop.
    if (qEnvironmentVariableIsSet("VETRINOVA_STARTUP_PROBE"))
        Forms::password()->installEventFilter(&probe);
    const int rc = app.exec();
    if (!qEnvironmentVariableIsSet("VETRINOVA_STARTUP_PROBE"))
        CopiaSicurezza::copiaAllUscita();
    Forms::destroyAll();
    qCInfo(lcUi, "Vetrinova ended");
    LogFile::uninstall();
    return rc;
}
