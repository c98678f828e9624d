#include "widgets/Messages.h"

#include "storage/ArchiveError.h"

#include <QApplication>

namespace {
Msg::Handler &handler()
{
    static Msg::Handler h;
    return h;
}

// The stored texts keep their exact breaks (CR LF, or LF CR in two messages); the screen wants one
// kind of break.
QString forScreen(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    text.remove(QLatin1Char('\r'));
    return text;
}

QMessageBox::StandardButton show(QWidget *parent, Msg::Kind kind, const QString &text)
{
    if (handler())
        return handler()(kind, text);
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title = QStringLiteral("Vetrinova");
    QMessageBox::StandardButtons buttons = QMessageBox::Ok | QMessageBox::Cancel;
    switch (kind) {
    case Msg::Kind::Warning:
        icon = QMessageBox::Warning;
        title = QStringLiteral("Attenzione");
        break;
    case Msg::Kind::Error:
        icon = QMessageBox::Critical;
        title = QStringLiteral("Errore");
        break;
    case Msg::Kind::Information:
        icon = QMessageBox::Information;
        title = QStringLiteral("Informazione");
        break;
    case Msg::Kind::Plain:
        buttons = QMessageBox::Ok;
        break;
    case Msg::Kind::Confirm:
        icon = QMessageBox::Question;
        title = QStringLiteral("Conferma");
        buttons = QMessageBox::Yes | QMessageBox::No;
        break;
    case Msg::Kind::YesNoCancel:
        icon = QMessageBox::Question;
        title = QStringLiteral("Conferma");
        buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        break;
    case Msg::Kind::ErrorReport:
        icon = QMessageBox::Critical;
        title = QStringLiteral("Errore");
        buttons = QMessageBox::Ok;
        break;
    }
    QMessageBox box(icon, title, forScreen(text), buttons, parent ? parent : QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}
} // namespace

void Msg::setHandler(Handler h)
{
    handler() = std::move(h);
}

void Msg::warning(QWidget *parent, const QString &text)
{
    show(parent, Kind::Warning, text);
}

void Msg::error(QWidget *parent, const QString &text)
{
    show(parent, Kind::Error, text);
}

void Msg::information(QWidget *parent, const QString &text)
{
    show(parent, Kind::Information, text);
}

void Msg::plain(QWidget *parent, const QString &text)
{
    show(parent, Kind::Plain, text);
}

bool Msg::confirm(QWidget *parent, const QString &text)
{
    return show(parent, Kind::Confirm, text) != QMessageBox::No;
}

QMessageBox::StandardButton Msg::askYesNoCancel(QWidget *parent, const QString &text)
{
    const QMessageBox::StandardButton answer = show(parent, Kind::YesNoCancel, text);
    // Closing the box with Esc or its title bar is no answer at all.
    return answer == QMessageBox::Yes || answer == QMessageBox::No ? answer : QMessageBox::Cancel;
}

void Msg::errorReport(QWidget *parent, const QString &text)
{
    show(parent, Kind::ErrorReport, text);
}

QString Msg::archiveMessage()
{
    return QStringLiteral(
        "Attenzione: il sistema non permette di accedere all'archivio.\n\r\n\r"
        "Accertarsi di possedere i privilegi di scrittura nella cartella di installazione del programma.");
}

void Msg::archiveError(QWidget *parent, bool plainBox)
{
    if (plainBox)
        plain(parent, archiveMessage());
    else
        error(parent, archiveMessage());
}

QString Msg::linkOutsideMessage(const QString &file)
{
    return QStringLiteral("Attenzione: il file %1 \u00e8 un collegamento che porta fuori dalla cartella del "
                          "programma e non viene scritto. Il file precedente non \u00e8 stato modificato.")
        .arg(file);
}

QString Msg::photoNotSavedMessage()
{
    return QStringLiteral("Attenzione: non \u00e8 stato possibile salvare la foto; il disco potrebbe essere pieno.");
}

void Msg::photoNotSaved(QWidget *parent)
{
    warning(parent, photoNotSavedMessage());
}

void Msg::photoNotShown(QWidget *parent, const QString &kept)
{
    warning(parent,
        QStringLiteral("Impossibile mostrare la foto scelta: il file \u00e8 danneggiato, troppo grande o non "
                       "\u00e8 un'immagine JPEG o Bitmap. %1 non \u00e8 stata cambiata.")
            .arg(kept));
}

QString Msg::archiveMessage(const ArchiveError &failure)
{
    switch (failure.reason()) {
    case ArchiveError::Reason::Busy:
        return archiveBusyText();
    case ArchiveError::Reason::LinkedOutside:
        return QStringLiteral("L'archivio \u00e8 un collegamento a un file fuori dalla cartella del programma: "
                              "pu\u00f2 essere consultato ma non modificato.");
    case ArchiveError::Reason::Failed:
        break;
    }
    return archiveMessage();
}

void Msg::archiveError(QWidget *parent, const ArchiveError &failure, bool plainBox)
{
    if (plainBox)
        plain(parent, archiveMessage(failure));
    else
        error(parent, archiveMessage(failure));
}

bool Msg::archiveBusy(QWidget *parent, const ArchiveError &failure)
{
    if (failure.reason() != ArchiveError::Reason::Busy)
        return false;
    archiveError(parent, failure, true);
    return true;
}

void Msg::savedButNotThePhotos(QWidget *parent, bool appended, bool several, WriteError why)
{
    warning(parent,
        (appended ? QStringLiteral("Attenzione: la scheda corrente \u00e8 stata inserita in archivio")
                  : QStringLiteral("Attenzione: le modifiche apportate alla scheda corrente sono state salvate in "
                                   "archivio"))
            + (several ? QStringLiteral(", ma non \u00e8 stato possibile salvare una o pi\u00f9 foto")
                       : QStringLiteral(", ma non \u00e8 stato possibile salvarne la foto"))
            + (why == WriteError::LinkOutside
                    ? QStringLiteral(": il file della foto \u00e8 un collegamento che porta fuori dalla cartella del "
                                     "programma e non viene scritto.")
                    : QStringLiteral("; il disco potrebbe essere pieno. Dopo aver liberato spazio premere di nuovo "
                                     "Salva.")));
}
