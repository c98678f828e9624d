#include "shell/CopiaSicurezza.h"

#include "storage/ArchiveError.h"
#include "storage/Clock.h"
#include "storage/FieldRules.h"
#include "storage/Logging.h"
#include "storage/ProgramFolder.h"
#include "widgets/FileDialogs.h"
#include "widgets/Messages.h"
#include "widgets/ProgressWindow.h"

#include <QDir>
#include <QFileInfo>

namespace CopiaSicurezza {
namespace {

/**
 * The progress of a copy or a restore, in the window from the first block of bytes; Annulla stops the
 * job at once, before another block is written.
 */
SafetyCopy::Progress progressIn(Job &job, const QString &text)
{
    return [&job, text](qint64 done, qint64 total) { return job.step(done, total, text) && !job.canceled(); };
}

QString copyFilter()
{
    return QStringLiteral("Copia di sicurezza di Vetrinova|*.zip");
}

QString number(qint64 n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(formatCount(n), QLatin1String(n == 1 ? one : many));
}

QString confirmationText(const SafetyCopy::Contents &c)
{
    const QString made = c.made.isValid()
        ? QStringLiteral("%1 alle %2").arg(ofDate(c.made.date()), c.made.toString(QStringLiteral("HH:mm")))
        : QStringLiteral("di data sconosciuta");
    QString text
        = QStringLiteral("Copia di sicurezza %1.\n\nContiene %2, %3 (%4), %5 e %6.\n\n")
              .arg(made, number(c.cards, "scheda di magazzino", "schede di magazzino"),
                  number(c.lists, "listino", "listini"), number(c.pages, "pagina", "pagine"),
                  number(c.photos, "foto", "foto"), number(c.attachments, "documento allegato", "documenti allegati"));
    text += QStringLiteral("Tutti i file del programma verranno sostituiti da quelli della copia: le modifiche fatte "
                           "dopo la copia andranno perse. ");
    text += c.password ? QStringLiteral("Anche la password di accesso diventerà quella salvata nella copia.")
                       : QStringLiteral("La copia non contiene la password: varrà quella del primo accesso.");
    text += QStringLiteral("\n\nProcedere con il ripristino?");
    return text;
}

/** Logs how a copy, its inspection or a restore ended, unless it went well or was stopped by the user. */
void logEnd(const char *what, SafetyCopy::Problem problem, const QString &path)
{
    using SafetyCopy::Problem;
    static const char *const names[] = { "none", "cancelled", "write failed", "read failed", "busy", "unreadable",
        "not a safety copy", "unsafe name", "link", "mismatch", "restore failed", "too many files", "file too large",
        "too large in all" };
    const auto index = std::size_t(problem);
    if (problem == Problem::Cancelled)
        return;
    if (problem == Problem::None)
        qCInfo(lcCopy, "%s done: %s", what, qUtf8Printable(QDir::toNativeSeparators(path)));
    else
        qCWarning(lcCopy, "%s failed (%s): %s", what, index < std::size(names) ? names[index] : "?",
            qUtf8Printable(QDir::toNativeSeparators(path)));
}

} // namespace

QString problemMessage(SafetyCopy::Problem problem, bool restoring)
{
    using SafetyCopy::Problem;
    const QString untouched = QStringLiteral(" I file del programma non sono stati modificati.");
    switch (problem) {
    case Problem::None:
    case Problem::Cancelled:
        return QString();
    case Problem::WriteFailed:
        return restoring
            ? QStringLiteral("Impossibile preparare il ripristino: il disco potrebbe essere pieno.") + untouched
            : QStringLiteral("Impossibile scrivere la copia di sicurezza: il disco potrebbe essere pieno "
                             "o la cartella non scrivibile. Nessuna copia è stata creata.");
    case Problem::ReadFailed:
        return QStringLiteral("Impossibile leggere i file del programma. Nessuna copia è stata creata.");
    case Problem::Busy:
        return archiveBusyText() + QStringLiteral(" Nessuna copia è stata creata.");
    case Problem::Unreadable:
        return QStringLiteral("Il file scelto è danneggiato o incompleto: non può essere ripristinato.") + untouched;
    case Problem::Foreign:
        return QStringLiteral("Il file scelto non è una copia di sicurezza di Vetrinova.") + untouched;
    case Problem::UnsafeName:
        return QStringLiteral("La copia contiene file con nomi non ammessi, che finirebbero fuori dalla cartella del "
                              "programma o non appartengono a Vetrinova: ripristino rifiutato.")
            + untouched;
    case Problem::Link:
        return QStringLiteral("La copia contiene collegamenti ad altri file: ripristino rifiutato.") + untouched;
    case Problem::Mismatch:
        return QStringLiteral("La copia non corrisponde al suo elenco dei file (dimensioni o codici di controllo "
                              "diversi): è danneggiata e non può essere ripristinata.")
            + untouched;
    case Problem::RestoreFailed:
        return QStringLiteral("Il ripristino non è riuscito: la cartella del programma è rimasta com'era.");
    case Problem::TooManyFiles:
        return QStringLiteral("La copia contiene più di %1 file, il massimo che si può ripristinare: ripristino "
                              "rifiutato.")
                   .arg(QLocale(QLocale::Italian).toString(SafetyCopy::limits().files))
            + untouched;
    case Problem::FileTooLarge:
        return QStringLiteral("Un file della copia supera %1 GB, il massimo che si può ripristinare: ripristino "
                              "rifiutato.")
                   .arg(SafetyCopy::limits().fileBytes >> 30)
            + untouched;
    case Problem::TooLargeInAll:
        return QStringLiteral("I file della copia superano in tutto %1 GB, il massimo che si può ripristinare: "
                              "ripristino rifiutato.")
                   .arg(SafetyCopy::limits().totalBytes >> 30)
            + untouched;
    }
    return QString();
}

void crea(QWidget *parent)
{
    QString folder = SafetyCopy::Settings::lastFolder();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    const QString path = FileDialogs::saveFile(parent, QStringLiteral("Crea copia di sicurezza"), copyFilter(),
        QDir(folder).filePath(SafetyCopy::fileNameFor(Clock::now())), QStringLiteral("zip"));
    if (path.isEmpty())
        return;
    SafetyCopy::Settings::setLastFolder(QFileInfo(path).absolutePath());
    ProgressWindow progress(parent, QStringLiteral("dlgCopiaInCorso"), QStringLiteral(" Crea copia di sicurezza"),
        QStringLiteral("Avanzamento della copia di sicurezza"));
    const SafetyCopy::Problem problem = progress.run([&path](Job &job) {
        return SafetyCopy::create(path, progressIn(job, QStringLiteral("Copia di sicurezza in corso...")));
    });
    logEnd("safety copy", problem, path);
    if (problem == SafetyCopy::Problem::None) {
        SafetyCopy::markCopied();
        Msg::information(parent, QStringLiteral("Copia di sicurezza creata:\n%1").arg(QDir::toNativeSeparators(path)));
    } else if (problem != SafetyCopy::Problem::Cancelled) {
        Msg::error(parent, problemMessage(problem, false));
    }
}

void ripristina(QWidget *parent)
{
    const QString path = FileDialogs::openFile(parent, QStringLiteral("Ripristina da una copia"), copyFilter());
    if (path.isEmpty())
        return;
    SafetyCopy::Contents contents;
    if (const SafetyCopy::Problem p = SafetyCopy::inspect(path, &contents); p != SafetyCopy::Problem::None) {
        logEnd("inspection of a safety copy", p, path);
        Msg::error(parent, problemMessage(p, true));
        return;
    }
    if (!Msg::confirm(parent, confirmationText(contents)))
        return;
    ProgressWindow progress(parent, QStringLiteral("dlgRipristinoInCorso"), QStringLiteral(" Ripristina da una copia"),
        QStringLiteral("Avanzamento del ripristino"));
    const SafetyCopy::Problem problem = progress.run([&path](Job &job) {
        return SafetyCopy::restore(
            path, progressIn(job, QStringLiteral("Ripristino in corso: controllo dei file della copia...")));
    });
    logEnd("restore", problem, path);
    if (problem == SafetyCopy::Problem::None) {
        // The folder is now what the copy holds: no need for an automatic copy of it at exit.
        SafetyCopy::markCopied();
        Msg::information(parent, QStringLiteral("Ripristino completato."));
    } else if (problem == SafetyCopy::Problem::Cancelled) {
        Msg::information(
            parent, QStringLiteral("Ripristino annullato: i file del programma non sono stati modificati."));
    } else {
        Msg::error(parent, problemMessage(problem, true));
    }
}

void copiaAllUscita()
{
    if (!SafetyCopy::automaticCopyDue())
        return;
    // The main loop has ended: the job's own loop keeps the window painted while the copy is written.
    ProgressWindow progress(nullptr, QStringLiteral("dlgCopiaUscita"), QStringLiteral(" Copia di sicurezza automatica"),
        QStringLiteral("Avanzamento della copia automatica"));
    const QDateTime now = Clock::now();
    const SafetyCopy::Problem problem = progress.run([&now](Job &job) {
        return SafetyCopy::makeAutomaticCopy(
            now, progressIn(job, QStringLiteral("Copia di sicurezza automatica in corso...")));
    });
    logEnd("automatic safety copy", problem, SafetyCopy::Settings::automaticFolder());
    if (problem != SafetyCopy::Problem::None && problem != SafetyCopy::Problem::Cancelled)
        Msg::warning(
            nullptr, QStringLiteral("Copia di sicurezza automatica non riuscita. ") + problemMessage(problem, false));
}

} // namespace CopiaSicurezza
