#include "warehouse/rules/ImportRun.h"

#include "app/rules/Picture.h"
#include "storage/ArchiveError.h"
#include "storage/FieldRules.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"
#include "storage/TextField.h"
#include "warehouse/rules/MovementRules.h"

#include <QDir>
#include <QHash>

using F = TSchedaProdotto::Field;

namespace ImportRun {
namespace {
// Reading the file failed half-way: the pass is undone like any other failure.
struct ReadFailure
{
    ImportError why;
};

template <typename Line> void addLine(QList<Line> &lines, const Line &line)
{
    if (lines.size() < MaxLines)
        lines.append(line);
}

QString codeKey(const QString &code)
{
    return trimText(code).toUpper();
}

/** Cards by code (the first card with each), for an import that updates cards with the same code. */
using CardsByCode = QHash<QString, qint64>;

template <typename ForEachRaw> CardsByCode cardsByCode(ForEachRaw forEachRaw)
{
    CardsByCode numbers;
    const auto &code = TSchedaProdotto::info(F::Codice);
    forEachRaw([&](qint64 n, const char *record) {
        const QString key = codeKey(readTextField(record + code.offset, code.width));
        if (!key.isEmpty() && !numbers.contains(key))
            numbers.insert(key, n);
        return true;
    });
    return numbers;
}

/**
 * Reads every row and checks it; `accept(card, update)` gets each accepted card, `update` when it
 * rewrites the card numbered so in `known`, and returns the card's number. With `known` (an import
 * that updates by code) a row whose code is known needs only the fields the file has; a row that adds a
 * card needs every required field, so a file lacking a required column adds no card. Returns false
 * when the file could not be read to its end (the reason in report.failure).
 */
bool scan(const Options &options, Report &report, const Progress &progress, CardsByCode *known,
    const std::function<qint64(const TSchedaProdotto &, qint64 update)> &accept)
{
    ImportError error;
    const auto reader = ImportSource::open(options.path, options.format, &error);
    if (!reader) {
        report.failure = error;
        return false;
    }
    const std::optional<F> unmapped = ImportRules::firstUnmappedRequired(options.mapping);
    auto refuse = [&](const ImportError &why, qint64 index) {
        ++report.rows;
        ++report.refused;
        addLine(report.refusals, why.inRow(rowNumber(index)));
    };
    QStringList cells;
    for (qint64 index = 0; reader->next(cells); ++index) {
        if (progress && index % 1000 == 0 && !progress(reader->position(), reader->size())) {
            report.failure = ImportError::Reason::Cancelled;
            return false;
        }
        if (const ImportError damaged = reader->rowError(); damaged.failed()) {
            refuse(damaged, index);
            continue;
        }
        if (options.headerRow && index <= options.headerIndex)
            continue;
        const ImportRules::Checked checked = ImportRules::checkRow(cells, options.mapping, known != nullptr);
        switch (checked.verdict) {
        case ImportRules::Checked::Verdict::Empty:
            continue;
        case ImportRules::Checked::Verdict::Refused:
            refuse(checked.reason, index);
            continue;
        case ImportRules::Checked::Verdict::Accepted: {
            QString key;
            qint64 update = 0;
            if (known) {
                key = codeKey(checked.card[F::Codice]);
                update = known->value(key);
                if (update == 0 && unmapped) {
                    refuse(ImportError::forCell(ImportError::Reason::MissingField, *unmapped), index);
                    continue;
                }
            }
            ++report.rows;
            ++report.accepted;
            report.replaced += checked.replaced;
            if (!checked.notes.isEmpty()) {
                ++report.noted;
                addLine(report.notes, ImportError::rowLine(rowNumber(index), checked.notes.join(QStringLiteral("; "))));
            }
            const qint64 n = accept(checked.card, update);
            if (known && update == 0)
                known->insert(key, n);
            break;
        }
        }
    }
    if (reader->error().failed()) {
        report.failure = reader->error();
        return false;
    }
    return true;
}

QHash<QString, QString> picturesByCode(const QString &folder)
{
    QHash<QString, QString> found;
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::Readable, QDir::Name);
    for (const QFileInfo &file : files) {
        const QString suffix = file.suffix().toLower();
        if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg") || suffix == QLatin1String("png")
            || suffix == QLatin1String("bmp")) {
            const QString code = file.completeBaseName().toLower();
            if (!found.contains(code))
                found.insert(code, file.absoluteFilePath());
        }
    }
    return found;
}
} // namespace

QString backupPath()
{
    return programPath(QStringLiteral("Magazzino.pro.bak"));
}

Report check(const Options &options, const Progress &progress)
{
    Report report;
    CardsByCode known;
    if (options.updateByCode) {
        try {
            // Counted as at the write, when the archive is read again under its lock.
            known = cardsByCode([](const auto &visit) { WarehouseArchive::forEachRaw(visit); });
        } catch (const ArchiveError &) {
            // No archive to read yet: every row adds a card.
        }
    }
    qint64 added = 0;
    scan(options, report, progress, options.updateByCode ? &known : nullptr,
        [&](const TSchedaProdotto &, qint64 update) { return update != 0 ? update : -++added; });
    return report;
}

Report write(const Options &options, const Progress &progress)
{
    Report report;
    struct Done
    {
        qint64 number;
        QString code;
    };
    std::vector<Done> done;
    // The stock changes go to the journal as pending before the pass ends, and are confirmed once it is whole.
    Movements::Recording recording;
    std::vector<Movements::Movement> movements;
    try {
        WarehouseArchive::inOnePass(backupPath(), [&](WarehouseArchive::Batch &batch) {
            CardsByCode numbers; // code -> card, the first card with it
            if (options.updateByCode)
                numbers = cardsByCode([&](const auto &visit) { batch.forEachRaw(visit); });
            const auto write = [&](const TSchedaProdotto &checked, qint64 n) {
                if (n > 0) {
                    // Fields the file does not have keep what the card holds.
                    TSchedaProdotto card = batch.read(n);
                    const double stored = parseDecimal(card[F::Giacenza]).value_or(0.0);
                    for (int i = 0; i < TSchedaProdotto::FieldCount; ++i)
                        if (options.mapping[i] != ImportRules::NoColumn)
                            card.values[i] = checked.values[i];
                    batch.overwrite(n, card);
                    movements.push_back(MovementRules::importMovement(card, n, stored));
                    ++report.updated;
                } else {
                    n = batch.append(checked);
                    movements.push_back(MovementRules::importMovement(checked, n, 0));
                    ++report.added;
                }
                if (!options.photoFolder.isEmpty())
                    done.push_back({ n, checked[F::Codice] });
                return n;
            };
            const bool read = scan(options, report, progress, options.updateByCode ? &numbers : nullptr, write);
            if (!read)
                throw ReadFailure { report.failure };
            if (report.added + report.updated > 0)
                report.backupPath = backupPath();
            // Inside the pass the archive is locked: what an earlier failure left pending waits for a later call.
            report.movements = recording.prepare(std::move(movements), false);
        });
    } catch (const ReadFailure &) {
        recording.cancel();
        report.added = report.updated = 0;
        return report;
    } catch (const ArchiveError &e) {
        recording.cancel();
        report.added = report.updated = 0;
        report.failure = e.reason() == ArchiveError::Reason::Busy ? ImportError::Reason::ArchiveBusy
                                                                  : ImportError::Reason::ArchiveWriteFailed;
        return report;
    }
    report.written = true;
    if (report.movements == Movements::Problem::None)
        report.movements = recording.confirm();

    if (options.photoFolder.isEmpty())
        return report;
    const QHash<QString, QString> pictures = picturesByCode(options.photoFolder);
    for (const Done &card : done) {
        const QString file = pictures.value(trimText(card.code).toLower());
        if (file.isEmpty())
            continue;
        const QString name = QFileInfo(file).fileName();
        const QImage picture = loadPicture(file);
        if (picture.isNull()) {
            ++report.photosSkipped;
            addLine(report.photoLines, QStringLiteral("%1: non \u00e8 un'immagine leggibile, saltata").arg(name));
        } else if (!savePictureJpeg(picture, programPath(QString::number(card.number) + QStringLiteral(".jpg")))) {
            ++report.photosSkipped;
            addLine(report.photoLines,
                QStringLiteral("%1: impossibile scrivere la foto della scheda n. %2").arg(name).arg(card.number));
        } else {
            ++report.photosMatched;
        }
    }
    return report;
}

QString Report::text() const
{
    QStringList out;
    if (failure.failed())
        out << failure.text() << QString();
    out << QStringLiteral("Righe di prodotti lette: %1").arg(formatCount(rows));
    if (written) {
        out << QStringLiteral("Schede aggiunte: %1").arg(formatCount(added));
        out << QStringLiteral("Schede aggiornate: %1").arg(formatCount(updated));
    } else {
        out << QStringLiteral("Righe accettate: %1").arg(formatCount(accepted));
    }
    out << QStringLiteral("Righe rifiutate: %1").arg(formatCount(refused));
    out << QStringLiteral("Righe con testi tagliati o dati lasciati vuoti: %1").arg(formatCount(noted));
    out << QStringLiteral("Caratteri non memorizzabili scritti come \"?\": %1").arg(formatCount(replaced));
    if (written && (photosMatched > 0 || photosSkipped > 0)) {
        out << QStringLiteral("Foto abbinate: %1").arg(formatCount(photosMatched));
        out << QStringLiteral("Foto saltate: %1").arg(formatCount(photosSkipped));
    }
    if (written && movements != Movements::Problem::None)
        out << QStringLiteral("Movimenti di magazzino non registrati: %1").arg(Movements::problemText(movements));
    if (!backupPath.isEmpty())
        out << QStringLiteral("Copia dell'archivio precedente: %1").arg(QDir::toNativeSeparators(backupPath));
    auto section = [&](const QString &title, const QStringList &lines, qint64 count) {
        if (lines.isEmpty())
            return;
        out << QString() << title;
        out += lines;
        if (count > lines.size())
            out << QStringLiteral("... e altre %1 righe.").arg(formatCount(count - lines.size()));
    };
    QStringList refusalLines;
    for (const ImportError &refusal : refusals)
        refusalLines << refusal.text();
    section(QStringLiteral("Righe rifiutate:"), refusalLines, refused);
    section(QStringLiteral("Righe modificate:"), notes, noted);
    section(QStringLiteral("Foto saltate:"), photoLines, photosSkipped);
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}
} // namespace ImportRun
