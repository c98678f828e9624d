#include "shell/Application.h"

#include "shell/CommandLine.h"
#include "widgets/Messages.h"
#include "widgets/Resources.h"

#include <QEvent>
#include <QLibraryInfo>
#include <QTranslator>

#include <exception>

Application::Application(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setIdentity();
    loadItalianTranslations();
}

void Application::setIdentity()
{
    setApplicationName(QStringLiteral("Vetrinova"));
    setOrganizationName(QStringLiteral("Vetrinova"));
    setApplicationVersion(CommandLine::version());
    // Lets the desktop match the windows to the menu entry and its icon (the Wayland app id).
    setDesktopFileName(QStringLiteral("vetrinova"));
    setWindowIcon(Resources::icon(QStringLiteral("vetrinova")));
}

void Application::loadItalianTranslations()
{
    static bool loaded = false;
    if (loaded)
        return;
    loaded = true;
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char *name : { "qtbase_it", "qtmultimedia_it" }) {
        auto *translator = new QTranslator(qApp);
        if (translator->load(QLatin1String(name), dir))
            QCoreApplication::installTranslator(translator);
        else
            delete translator;
    }
}

// Only a last guard: windows handle the failures they expect as values. Whatever still arrives here
// is a fault, logged for whoever looks into it and reported so the user knows the action failed.
bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        qCritical("Exception escaped an event handler (event %d): %s", int(event->type()), e.what());
        Msg::errorReport(nullptr, QString::fromUtf8(e.what()));
    } catch (...) {
        qCritical("Unknown exception escaped an event handler (event %d)", int(event->type()));
        Msg::errorReport(nullptr, QStringLiteral("Errore imprevisto."));
    }
    return false;
}
