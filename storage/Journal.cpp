#include "storage/Journal.h"

#include "storage/DiskSync.h"
#include "storage/FileReplace.h"
#include "storage/ListPass.h"
#include "storage/Logging.h"
#include "storage/ProgramFiles.h"
#include "storage/ProgramFolder.h"
#include "storage/SafetyCopy.h"
#include "storage/SchedaProdotto.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace {
const QByteArray Heading = "Vetrinova diario 1";
constexpr qint64 MaxSize = 1 << 20;

QByteArray kindName(Journal::Kind kind)
{
    switch (kind) {
    case Journal::Kind::Import:
        return "importazione";
    case Journal::Kind::Restore:
        return "ripristino";
    case Journal::Kind::List:
        return "listino";
    }
    return {};
}

std::string native(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

bool removeJournal()
{
    const QString path = Journal::path();
    return (QFile::remove(path) || !QFileInfo::exists(path)) && DiskSync::folderOf(path);
}

QString unreadable()
{
    return QStringLiteral("Nella cartella del programma c'\u00e8 un diario di un'operazione interrotta "
                          "(Vetrinova.diario) che non \u00e8 stato possibile leggere: i file sono stati lasciati "
                          "come sono.");
}

// Read through the handle that holds the lock, so it is the journal found, not one made since.
bool readAll(Os::File file, QByteArray &out)
{
    Os::Status st;
    if (!Os::status(file, st) || !st.regularFile || st.size > MaxSize)
        return false;
    out.resize(st.size);
    return Os::readAt(file, 0, out.data(), st.size) == st.size;
}
} // namespace

Journal::~Journal()
{
    if (m_file != Os::kNoFile)
        (void)Os::close(m_file); // only read or locked: nothing of ours to lose
}

QString Journal::path()
{
    return programPath(QStringLiteral("Vetrinova.diario"));
}

bool Journal::begin(Kind kind, const QStringList &lines)
{
    if (m_file != Os::kNoFile || QFileInfo::exists(path()) || QFileInfo(path()).isSymLink())
        return false; // an earlier change still unsettled: its record must not be lost
    QByteArray text = Heading + '\n' + kindName(kind) + '\n';
    for (const QString &line : lines)
        text += QUrl::toPercentEncoding(line) + '\n';
    if (!writeStaysInside(path()) || !FileReplace::replace(path(), text))
        return false;
    m_file = Os::openExisting(native(path()));
    if (m_file == Os::kNoFile || !Os::tryLock(m_file)) {
        if (m_file != Os::kNoFile)
            (void)Os::close(m_file); // only read or locked: nothing of ours to lose
        m_file = Os::kNoFile;
        removeJournal();
        return false;
    }
    return true;
}

bool Journal::finish()
{
    if (m_file == Os::kNoFile)
        return true;
    // Closed first: some systems keep an open file's name.
    (void)Os::close(m_file); // only read or locked: nothing of ours to lose
    m_file = Os::kNoFile;
    return removeJournal();
}

QString Journal::recover()
{
    if (!QFileInfo::exists(path())) {
        SafetyCopy::removeUnfinishedUnpack();
        return {};
    }
    const Os::File file = Os::openExisting(native(path()));
    if (file == Os::kNoFile)
        return {};
    // Held: the change is running in another copy of the program sharing the folder.
    if (!Os::tryLock(file)) {
        (void)Os::close(file); // only read or locked: nothing of ours to lose
        return {};
    }
    QByteArray text;
    const bool read = readAll(file, text);
    QList<QByteArray> parts = text.split('\n');
    if (!parts.isEmpty() && parts.last().isEmpty())
        parts.removeLast();
    if (!read || parts.size() < 2 || parts[0] != Heading) {
        (void)Os::close(file); // only read or locked: nothing of ours to lose
        qCWarning(lcStorage, "the journal found at start cannot be read");
        return unreadable();
    }
    QStringList lines;
    for (qsizetype i = 2; i < parts.size(); ++i)
        lines << QString::fromUtf8(QByteArray::fromPercentEncoding(parts[i]));

    QString message = unreadable();
    bool settled = false;
    if (parts[1] == kindName(Kind::Import) && lines.value(0) == ProgramFiles::priceChangeCopyName()) {
        // A price change runs the same pass as an import; the name of its copy tells them apart.
        settled = WarehouseArchive::undoInterruptedPass(lines);
        message = settled
            ? QStringLiteral("Una variazione dei prezzi \u00e8 stata interrotta prima della fine: \u00e8 stata "
                             "annullata e l'archivio \u00e8 tornato com'era prima della variazione.")
            : QStringLiteral("Una variazione dei prezzi \u00e8 stata interrotta prima della fine e non \u00e8 "
                             "stato possibile annullarla: l'archivio com'era prima \u00e8 nel file %1.")
                  .arg(ProgramFiles::priceChangeCopyName());
    } else if (parts[1] == kindName(Kind::Import)) {
        settled = WarehouseArchive::undoInterruptedPass(lines);
        message = settled
            ? QStringLiteral("Un'importazione di schede \u00e8 stata interrotta prima della fine: \u00e8 stata "
                             "annullata e l'archivio \u00e8 tornato com'era prima dell'importazione.")
            : QStringLiteral("Un'importazione di schede \u00e8 stata interrotta prima della fine e non \u00e8 "
                             "stato possibile annullarla: l'archivio com'era prima \u00e8 nel file "
                             "Magazzino.pro.bak.");
    } else if (parts[1] == kindName(Kind::List)) {
        settled = PriceListFile::undoInterruptedPass(lines);
        const QString list = lines.value(0);
        message = settled
            ? QStringLiteral("Un aggiornamento del listino %1 dal magazzino \u00e8 stato interrotto prima della "
                             "fine: \u00e8 stato annullato e il listino \u00e8 tornato com'era prima.")
                  .arg(list)
            : QStringLiteral("Un aggiornamento del listino %1 dal magazzino \u00e8 stato interrotto prima della "
                             "fine e non \u00e8 stato possibile annullarlo: il listino com'era prima \u00e8 nel "
                             "file %2.")
                  .arg(list, lines.value(1));
    } else if (parts[1] == kindName(Kind::Restore)) {
        const SafetyCopy::Settled how = SafetyCopy::settleInterruptedRestore(lines);
        settled = how != SafetyCopy::Settled::Failed;
        if (how == SafetyCopy::Settled::Undone)
            message = QStringLiteral("Un ripristino da una copia di sicurezza \u00e8 stato interrotto prima della "
                                     "fine: \u00e8 stato annullato e i file sono tornati com'erano prima del "
                                     "ripristino.");
        else if (how == SafetyCopy::Settled::Completed)
            message = QStringLiteral("Un ripristino da una copia di sicurezza \u00e8 stato interrotto prima della "
                                     "fine: \u00e8 stato completato e i file sono ora quelli della copia.");
        else
            message = QStringLiteral("Un ripristino da una copia di sicurezza \u00e8 stato interrotto e non \u00e8 "
                                     "stato possibile n\u00e9 completarlo n\u00e9 annullarlo: i file di prima sono "
                                     "nelle cartelle \"Ripristino-precedente\" della cartella del programma.");
    }
    (void)Os::close(file); // only read or locked: nothing of ours to lose
    if (settled && !removeJournal())
        settled = false;
    qCWarning(lcStorage, "interrupted change found at start (%s, %s): %s", parts[1].constData(),
        settled ? "settled" : "not settled", qUtf8Printable(message));
    return message;
}
