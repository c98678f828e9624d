#include "warehouse/rules/PriceChangeRun.h"

#include "storage/ArchiveError.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"
#include "storage/TextField.h"
#include "storage/UndoRecord.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <limits>

namespace PriceChangeRun {
namespace {
constexpr int Size = TSchedaProdotto::RecordSize;

const TSchedaProdotto::FieldInfo &fieldOf(const PriceChange &change)
{
    return TSchedaProdotto::info(
        change.field == PriceChange::Field::Prezzo ? TSchedaProdotto::Prezzo : TSchedaProdotto::Costo);
}

// Which record numbers were asked for, as a bitmap of one bit a card up to the last one asked for.
std::vector<bool> chosenOf(const std::vector<qint64> &records, qint64 count)
{
    qint64 last = 0;
    for (const qint64 n : records)
        if (n <= count)
            last = std::max(last, n);
    std::vector<bool> chosen(size_t(last + 1), false);
    for (const qint64 n : records)
        if (n >= 1 && n <= last)
            chosen[size_t(n)] = true;
    return chosen;
}

bool isChosen(const std::vector<bool> &chosen, qint64 n)
{
    return n < qint64(chosen.size()) && chosen[size_t(n)];
}

void count(Counts &counts, const PriceChange::Outcome &outcome)
{
    switch (outcome.status) {
    case PriceChange::Status::Changed:
        ++counts.changed;
        counts.totalBefore += outcome.before;
        counts.totalAfter += outcome.after;
        break;
    case PriceChange::Status::Same:
        ++counts.same;
        break;
    case PriceChange::Status::NotNumeric:
        ++counts.notNumeric;
        break;
    case PriceChange::Status::BelowZero:
    case PriceChange::Status::TooLong:
        ++counts.refused;
        break;
    }
}

// Thrown inside a pass to leave it before it writes anything.
struct ChangedSince
{
};

// The undo is a pass of its own, backed up where an import's pass is: the copy it undoes from stays.
QString undoPassCopy()
{
    return programPath(QStringLiteral("Magazzino.pro.bak"));
}
} // namespace

Preview preview(const std::vector<qint64> &records, const PriceChange &change, const Progress &progress)
{
    Preview out;
    const auto &field = fieldOf(change);
    const auto &code = TSchedaProdotto::info(TSchedaProdotto::Codice);
    const auto &name = TSchedaProdotto::info(TSchedaProdotto::Nome);
    const std::vector<bool> chosen = chosenOf(records, std::numeric_limits<qint64>::max());
    const qint64 total = qint64(chosen.size()) - 1;
    WarehouseArchive::forEachRaw([&](qint64 n, const char *record) {
        if (isChosen(chosen, n)) {
            Line line;
            line.record = n;
            line.code = readTextField(record + code.offset, code.width);
            line.name = readTextField(record + name.offset, name.width);
            line.old = readTextField(record + field.offset, field.width);
            line.outcome = change.apply(line.old);
            count(out.counts, line.outcome);
            out.lines.push_back(std::move(line));
        }
        return n < total && !(n % 4096 == 0 && progress && !progress(n, total));
    });
    return out;
}

Applied apply(
    const std::vector<qint64> &records, const PriceChange &change, const QString &description, const Progress &progress)
{
    Applied out;
    const auto &field = fieldOf(change);
    const auto &code = TSchedaProdotto::info(TSchedaProdotto::Codice);
    // The undo of the change before must not be offered on the copy this pass replaces.
    if (!UndoRecord::forget(UndoRecord::Kind::PriceChange))
        throw ArchiveError("the record of the previous price change cannot be removed");
    FileMark mark;
    WarehouseArchive::inOnePass(UndoRecord::copyPath(UndoRecord::Kind::PriceChange), [&](WarehouseArchive::Batch &b) {
        const qint64 total = b.count();
        const std::vector<bool> chosen = chosenOf(records, total);
        char changed[Size];
        b.forEachRaw([&](qint64 n, const char *record) {
            const char *bytes = record;
            if (isChosen(chosen, n)) {
                const PriceChange::Outcome outcome = change.apply(readTextField(record + field.offset, field.width));
                count(out.counts, outcome);
                if (outcome.status == PriceChange::Status::Changed) {
                    std::memcpy(changed, record, Size);
                    writeTextField(changed + field.offset, field.width, outcome.text);
                    b.overwriteRaw(n, changed);
                    out.changedCodes.insert(readTextField(record + code.offset, code.width));
                    bytes = changed;
                }
            }
            mark.add(bytes, Size);
            if (n % 4096 == 0 && progress)
                progress(n, total);
            return true;
        });
    });
    if (out.counts.changed > 0
        && !UndoRecord::save(UndoRecord::Kind::PriceChange,
            { QFileInfo(warehousePath()).fileName(), mark.size(), mark.sum(), description }))
        qWarning("the record to undo the price change could not be written");
    return out;
}

QString lastChange()
{
    const auto entry = UndoRecord::load(UndoRecord::Kind::PriceChange);
    return entry ? entry->description : QString();
}

Undo undo(const Progress &progress)
{
    const auto entry = UndoRecord::load(UndoRecord::Kind::PriceChange);
    if (!entry)
        return Undo::Nothing;
    QFile copy(UndoRecord::copyPath(UndoRecord::Kind::PriceChange));
    if (!copy.open(QIODevice::ReadOnly))
        throw ArchiveError("undo: the copy of the archive cannot be read");
    try {
        WarehouseArchive::inOnePass(undoPassCopy(), [&](WarehouseArchive::Batch &b) {
            FileMark now;
            b.forEachRaw([&](qint64, const char *record) {
                now.add(record, Size);
                return true;
            });
            if (!UndoRecord::matches(*entry, now) || copy.size() / Size != b.count())
                throw ChangedSince();
            const qint64 total = b.count();
            char before[Size];
            b.forEachRaw([&](qint64 n, const char *record) {
                if (copy.read(before, Size) != Size)
                    throw ArchiveError("undo: the copy of the archive is short");
                if (std::memcmp(before, record, Size) != 0)
                    b.overwriteRaw(n, before);
                if (n % 4096 == 0 && progress)
                    progress(n, total);
                return true;
            });
        });
    } catch (const ChangedSince &) {
        return Undo::ChangedSince;
    }
    UndoRecord::forget(UndoRecord::Kind::PriceChange);
    return Undo::Done;
}
} // namespace PriceChangeRun
