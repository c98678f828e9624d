#pragma once

#include <QApplication>

/**
 * The program's application object. An error that escapes an event handler ends that event and is
 * shown with its own text, as the toolkit's default error report; the program keeps running.
 */
class Application : public QApplication
{
public:
    Application(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    /** Name, organisation, version, desktop entry and window icon, for this and every window. */
    static void setIdentity();

    /** Loads Qt's Italian catalogue so standard buttons read "Annulla", "Sì". */
    static void loadItalianTranslations();
};
