#include "pricelist/rules/ListUpdate.h"

#include "app/rules/Picture.h"
#include "pricelist/rules/ListFiles.h"
#include "pricelist/rules/SlotPhotos.h"
#include "storage/FieldRules.h"
#include "storage/ListPass.h"
#include "storage/PaginaListino.h"
#include "storage/ProgramFolder.h"
#include "storage/RecordFile.h"
#include "storage/SchedaProdotto.h"
#include "storage/TextField.h"
#include "storage/UndoRecord.h"
#include "warehouse/rules/PriceChange.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>

#include <map>

namespace ListUpdate {
namespace {
using Pages = RecordFile<TPaginaListino>;

// What the comparison needs of the first card with a code, and how many cards have it.
struct Card
{
    qint64 number = 0;
    qint64 count = 0;
    QString nome;
    QString um;
    QString caratteristiche;
    QString prezzo;
};

struct Compared
{
    Field field;
    TVoceListino::Field slotField;
};
constexpr Compared TextFields[] = { { Field::Nome, TVoceListino::Nome }, { Field::UM, TVoceListino::UM },
    { Field::Caratteristiche, TVoceListino::Caratteristiche }, { Field::Prezzo, TVoceListino::Prezzo } };

QString cardText(const Card &card, Field field)
{
    switch (field) {
    case Field::Nome:
        return card.nome;
    case Field::UM:
        return card.um;
    case Field::Caratteristiche:
        return card.caratteristiche;
    case Field::Prezzo:
        return card.prezzo;
    case Field::Foto:
        break;
    }
    return {};
}

QString when(const QFileInfo &file)
{
    return ofDate(file.lastModified().date()) + QStringLiteral(" ore ")
        + QLocale::c().toString(file.lastModified().time(), QStringLiteral("HH:mm"));
}

QString listFileName(const QString &path)
{
    return QFileInfo(path).fileName();
}
} // namespace

QString fieldName(Field field)
{
    switch (field) {
    case Field::Nome:
        return QStringLiteral("Nome");
    case Field::UM:
        return QStringLiteral("Aspetto");
    case Field::Caratteristiche:
        return QStringLiteral("Caratteristiche");
    case Field::Prezzo:
        return QStringLiteral("Prezzo");
    case Field::Foto:
        return QStringLiteral("Foto");
    }
    return {};
}

Differences compare(const QString &path, const QString &title, const Progress &progress)
{
    Differences out;
    // The list first: its codes are all the comparison keeps of the archive, whatever its size.
    std::vector<TPaginaListino> pages;
    {
        ArchiveFile file(path, TPaginaListino::RecordSize, ArchiveFile::Access::Read);
        Pages::forEachRecord(file, [&](qint64, const char *record) {
            pages.push_back(TPaginaListino::load(record));
            return true;
        });
        file.close();
    }
    out.pages = qint64(pages.size());
    QHash<QString, Card> cards;
    for (const TPaginaListino &page : pages)
        for (const TVoceListino &slot : page.voci)
            if (!slot[TVoceListino::Codice].isEmpty())
                cards.insert(slot[TVoceListino::Codice], Card());
    if (cards.isEmpty())
        return out;

    const auto &code = TSchedaProdotto::info(TSchedaProdotto::Codice);
    bool stopped = false;
    WarehouseArchive::forEachRaw([&](qint64 n, const char *record) {
        const auto found = cards.find(readTextField(record + code.offset, code.width));
        if (found != cards.end() && found->count++ == 0) {
            const TSchedaProdotto card = TSchedaProdotto::load(record);
            found->number = n;
            found->nome = card[TSchedaProdotto::Nome];
            found->um = card[TSchedaProdotto::UM];
            found->caratteristiche = card[TSchedaProdotto::Caratteristiche];
            found->prezzo = card[TSchedaProdotto::Prezzo];
        }
        if (n % 4096 == 0 && progress && !progress(n, 0))
            stopped = true;
        return !stopped;
    });
    if (stopped)
        return {};

    QSet<QString> sharedSeen;
    for (qint64 p = 0; p < out.pages; ++p) {
        const qint64 pageNumber = p + 1;
        for (int s = 0; s < TPaginaListino::SlotCount; ++s) {
            const TVoceListino &slot = pages[size_t(p)].voci[size_t(s)];
            const QString &slotCode = slot[TVoceListino::Codice];
            if (slotCode.isEmpty())
                continue;
            const Card &card = cards[slotCode];
            if (card.count == 0) {
                out.missing.push_back({ pageNumber, s, slotCode });
                continue;
            }
            ++out.slotsCompared;
            if (card.count > 1 && !sharedSeen.contains(slotCode)) {
                sharedSeen.insert(slotCode);
                out.shared.push_back({ slotCode, card.number, card.count });
            }
            for (const Compared &c : TextFields) {
                const QString inList = slot[c.slotField];
                const QString inWarehouse = cardText(card, c.field);
                Row row { pageNumber, s, c.field, inList, inWarehouse, inWarehouse, card.number, false, true };
                if (c.field == Field::Prezzo) {
                    const auto listCents = Cents::read(inList);
                    const auto cardCents = Cents::read(inWarehouse);
                    if (listCents && cardCents && *listCents == *cardCents)
                        continue;
                    if (!listCents && !cardCents && inList == inWarehouse)
                        continue;
                    // The money rules hold for every price written: the card's amount in its normal form.
                    row.usable = bool(cardCents);
                    row.checked = row.usable;
                    row.write = cardCents ? Cents::text(*cardCents) : QString();
                } else if (inList == inWarehouse) {
                    continue;
                }
                out.rows.push_back(row);
            }
            const QFileInfo cardPhoto(SlotPhotos::warehousePhotoPath(QString::number(card.number)));
            const QFileInfo slotPhoto(
                SlotPhotos::photoPath(title, TPaginaListino::letter(s), QString::number(pageNumber)));
            if (cardPhoto.isFile() && !slotPhoto.filePath().isEmpty()
                && (!slotPhoto.isFile() || cardPhoto.lastModified() > slotPhoto.lastModified())) {
                Row row { pageNumber, s, Field::Foto,
                    slotPhoto.isFile() ? QStringLiteral("foto ") + when(slotPhoto) : QStringLiteral("nessuna foto"),
                    QStringLiteral("foto della scheda %1 ").arg(card.number) + when(cardPhoto), QString(), card.number,
                    false, true };
                out.rows.push_back(row);
            }
        }
    }
    return out;
}

Applied apply(const QString &path, const QString &title, const std::vector<Row> &rows, const QString &description)
{
    Applied out;
    std::map<qint64, std::vector<const Row *>> byPage;
    for (const Row &row : rows)
        if (row.checked && row.usable && row.field != Field::Foto)
            byPage[row.page].push_back(&row);
    if (!byPage.empty()) {
        // The undo of the update before must not be offered on the copy this pass replaces.
        if (!UndoRecord::forget(UndoRecord::Kind::ListUpdate))
            throw ArchiveError("the record of the previous list update cannot be removed");
        FileMark mark;
        PriceListFile::inOnePass(
            path, UndoRecord::copyPath(UndoRecord::Kind::ListUpdate), [&](PriceListFile::PageBatch &b) {
                for (const auto &[page, changes] : byPage) {
                    if (page > b.count())
                        throw ArchiveError("the list has fewer pages than when it was compared");
                    QByteArray bytes = b.readRaw(page);
                    for (const Row *row : changes) {
                        const auto &info = TVoceListino::layout()[size_t(row->field == Field::Nome ? TVoceListino::Nome
                                : row->field == Field::UM                                          ? TVoceListino::UM
                                : row->field == Field::Caratteristiche ? TVoceListino::Caratteristiche
                                                                       : TVoceListino::Prezzo)];
                        writeTextField(
                            bytes.data() + row->slot * TVoceListino::Size + info.offset, info.width, row->write);
                        ++out.fields;
                    }
                    b.writeRaw(page, bytes);
                    ++out.pages;
                }
                mark = b.mark();
            });
        if (!UndoRecord::save(
                UndoRecord::Kind::ListUpdate, { listFileName(path), mark.size(), mark.sum(), description }))
            qWarning("the record to undo the list update could not be written");
    }
    // Photos after the texts: each one is a whole file of its own, written or left as it was.
    for (const Row &row : rows) {
        if (!row.checked || row.field != Field::Foto)
            continue;
        const QImage photo = loadPicture(SlotPhotos::warehousePhotoPath(QString::number(row.card)));
        const QString target
            = SlotPhotos::photoPath(title, TPaginaListino::letter(row.slot), QString::number(row.page));
        if (!photo.isNull() && !target.isEmpty() && SlotPhotos::ensureFolder()
            && savePictureJpeg(SlotPhotos::toFileSize(photo), target)) {
            ++out.photos;
            out.photoSlots.emplace_back(row.page, row.slot);
        } else {
            ++out.photosFailed;
        }
    }
    return out;
}

QString lastUpdate(const QString &path)
{
    const auto entry = UndoRecord::load(UndoRecord::Kind::ListUpdate);
    return entry && entry->target == listFileName(path) ? entry->description : QString();
}

namespace {
struct ChangedSince
{
};
} // namespace

Undo undo(const QString &path)
{
    const auto entry = UndoRecord::load(UndoRecord::Kind::ListUpdate);
    if (!entry || entry->target != listFileName(path))
        return Undo::Nothing;
    QFile copy(UndoRecord::copyPath(UndoRecord::Kind::ListUpdate));
    if (!copy.open(QIODevice::ReadOnly))
        throw ArchiveError("undo: the copy of the list cannot be read");
    // Read whole before the pass: the pass backs the list up over this very copy.
    const QByteArray before = copy.readAll();
    copy.close();
    constexpr int Size = TPaginaListino::RecordSize;
    try {
        PriceListFile::inOnePass(
            path, UndoRecord::copyPath(UndoRecord::Kind::ListUpdate), [&](PriceListFile::PageBatch &b) {
                if (!UndoRecord::matches(*entry, b.mark()) || before.size() / Size != b.count())
                    throw ChangedSince();
                for (qint64 page = 1; page <= b.count(); ++page) {
                    const QByteArray old = before.mid((page - 1) * Size, Size);
                    if (b.readRaw(page) != old)
                        b.writeRaw(page, old);
                }
            });
    } catch (const ChangedSince &) {
        return Undo::ChangedSince;
    }
    UndoRecord::forget(UndoRecord::Kind::ListUpdate);
    return Undo::Done;
}

QStringList listsContaining(const QSet<QString> &codes)
{
    QStringList out;
    if (codes.isEmpty())
        return out;
    const auto &code = TVoceListino::layout()[TVoceListino::Codice];
    for (const QString &name : ListFiles::names()) {
        bool found = false;
        ArchiveFile file(programPath(name), TPaginaListino::RecordSize, ArchiveFile::Access::Read);
        Pages::forEachRecord(file, [&](qint64, const char *record) {
            for (int s = 0; s < TPaginaListino::SlotCount && !found; ++s)
                found = codes.contains(readTextField(record + s * TVoceListino::Size + code.offset, code.width));
            return !found;
        });
        file.close();
        if (found)
            out << name.chopped(4);
    }
    return out;
}
} // namespace ListUpdate
