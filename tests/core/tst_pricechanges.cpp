// Price changes on the cards and the update of a price list from them: the arithmetic on cents, the
// table of differences, one pass that a failure leaves undone, and the undo of the last change.
#include "pricelist/rules/ListUpdate.h"
#include "storage/ArchiveError.h"
#include "storage/Journal.h"
#include "storage/ListPass.h"
#include "storage/PaginaListino.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"
#include "storage/platform/Faults.h"
#include "warehouse/rules/PriceChange.h"
#include "warehouse/rules/PriceChangeRun.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <clocale>
#include <memory>

using Status = PriceChange::Status;
using Rounding = PriceChange::Rounding;
Q_DECLARE_METATYPE(PriceChange::Status)
Q_DECLARE_METATYPE(PriceChange::Rounding)

namespace {
QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

TSchedaProdotto card(const QString &code, const QString &name, const QString &price)
{
    TSchedaProdotto c;
    c[TSchedaProdotto::Codice] = code;
    c[TSchedaProdotto::Costo] = QStringLiteral("5,00");
    c[TSchedaProdotto::Nome] = name;
    c[TSchedaProdotto::UM] = QStringLiteral("Ceramica");
    c[TSchedaProdotto::Caratteristiche] = QStringLiteral("Smaltato");
    c[TSchedaProdotto::Prezzo] = price;
    c[TSchedaProdotto::Pagato] = QStringLiteral("No");
    return c;
}

TVoceListino slot(const QString &code, const QString &name, const QString &price)
{
    TVoceListino v;
    v[TVoceListino::Codice] = code;
    v[TVoceListino::Nome] = name;
    v[TVoceListino::UM] = QStringLiteral("Ceramica");
    v[TVoceListino::Caratteristiche] = QStringLiteral("Smaltato");
    v[TVoceListino::Prezzo] = price;
    return v;
}

// Bytes after each text hold leftovers of older contents, as real files do: "exact bytes" covers them.
// `fields` are the (offset, width) of every field of a record of `size` bytes.
void scribbleAfterTexts(const QString &path, int size, const QList<QPair<int, int>> &fields)
{
    QByteArray bytes = readFile(path);
    for (int record = 0; record + size <= bytes.size(); record += size)
        for (const auto &[offset, width] : fields) {
            char *field = bytes.data() + record + offset;
            for (int i = 1 + quint8(field[0]); i <= width; ++i)
                field[i] = char('a' + (record + offset + i) % 26);
        }
    writeFile(path, bytes);
}

void scribbleShop(const QString &list)
{
    QList<QPair<int, int>> cardFields;
    for (const auto &f : TSchedaProdotto::layout())
        cardFields << qMakePair(f.offset, f.width);
    scribbleAfterTexts(warehousePath(), TSchedaProdotto::RecordSize, cardFields);
    QList<QPair<int, int>> slotFields;
    for (int s = 0; s < TPaginaListino::SlotCount; ++s)
        for (const auto &f : TVoceListino::layout())
            slotFields << qMakePair(s * TVoceListino::Size + f.offset, f.width);
    scribbleAfterTexts(list, TPaginaListino::RecordSize, slotFields);
}
} // namespace

class TestPriceChanges : public QObject
{
    Q_OBJECT

    QString folder() const { return m_dir->path() + QStringLiteral("/Vetrinova"); }
    QString listPath() const { return programPath(QStringLiteral("Primavera.lis")); }

    // Five cards (one code twice, one price that is no number) and a two-page list built by hand.
    void makeShop()
    {
        WarehouseArchive::append(card(QStringLiteral("V1"), QStringLiteral("Vaso blu"), QStringLiteral("12,50")));
        WarehouseArchive::append(card(QStringLiteral("V2"), QStringLiteral("Vaso rosso"), QStringLiteral("20,00")));
        WarehouseArchive::append(card(QStringLiteral("T3"), QStringLiteral("Tazza"), QStringLiteral("3,00")));
        WarehouseArchive::append(card(QStringLiteral("T3"), QStringLiteral("Tazza bis"), QStringLiteral("9,00")));
        WarehouseArchive::append(card(QStringLiteral("P4"), QStringLiteral("Piatto"), QStringLiteral("su richiesta")));
        TPaginaListino one;
        one.voci[0] = slot(QStringLiteral("V1"), QStringLiteral("Vaso blu"), QStringLiteral("12,5")); // same amount
        one.voci[1] = slot(QStringLiteral("V2"), QStringLiteral("Vaso rosso grande"), QStringLiteral("18,00"));
        one.voci[3] = slot(QStringLiteral("ZZ9"), QStringLiteral("Fuori catalogo"), QStringLiteral("1,00"));
        TPaginaListino two;
        two.voci[2] = slot(QStringLiteral("T3"), QStringLiteral("Tazza"), QStringLiteral("2,50"));
        two.voci[7] = slot(QStringLiteral("P4"), QStringLiteral("Piatto"), QStringLiteral("7,00"));
        PriceListFile::append(listPath(), one);
        PriceListFile::append(listPath(), two);
        scribbleShop(listPath());
    }

    PriceChange tenPercentUp() const
    {
        PriceChange change;
        change.size = 1000;
        return change;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QDir().mkpath(folder());
        setProgramFolderOverride(folder());
    }

    void cleanup()
    {
        Os::Faults::disarm();
        setProgramFolderOverride(QString());
        m_dir.reset();
    }

    void moneyTextReadsAsCents_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("cents"); // -1: not money
        QTest::newRow("normal") << "12,50" << qint64(1250);
        QTest::newRow("one decimal, as typed") << "12,5" << qint64(1250);
        QTest::newRow("no decimals, blanks") << "  7 " << qint64(700);
        QTest::newRow("comma first") << ",5" << qint64(50);
        QTest::newRow("more decimals round half up") << "0012,345" << qint64(1235);
        QTest::newRow("negative half goes up") << "-2,345" << qint64(-234);
        QTest::newRow("negative") << "-5" << qint64(-500);
        QTest::newRow("full stop is no comma") << "12.50" << qint64(-1);
        QTest::newRow("two commas") << "1,2,3" << qint64(-1);
        QTest::newRow("exponent") << "1e3" << qint64(-1);
        QTest::newRow("words") << "su richiesta" << qint64(-1);
        QTest::newRow("empty") << "" << qint64(-1);
    }
    void moneyTextReadsAsCents()
    {
        QFETCH(QString, text);
        QFETCH(qint64, cents);
        // Whatever the C library's locale says, as the shop's computer may have it either way.
        for (const char *locale : { "it_IT.UTF-8", "C" }) {
            std::setlocale(LC_ALL, locale);
            const std::optional<qint64> read = Cents::read(text);
            QCOMPARE(read.value_or(-1), cents);
        }
        if (cents >= 0)
            QCOMPARE(Cents::read(Cents::text(cents)).value_or(-1), cents);
    }

    void changeRoundsOnCents_data()
    {
        QTest::addColumn<QString>("old");
        QTest::addColumn<bool>("percent");
        QTest::addColumn<bool>("up");
        QTest::addColumn<QString>("size");
        QTest::addColumn<Rounding>("rounding");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<Status>("status");
        const auto C = Rounding::Cent;
        // 10,05 + 5 % = 10,5525; 0,10 + 5 % = 0,105 exactly: a half, up; in binary it would be below.
        QTest::newRow("percent to the cent") << "10,05" << true << true << "5" << C << "10,55" << Status::Changed;
        QTest::newRow("exact half goes up") << "0,10" << true << true << "5" << C << "0,11" << Status::Changed;
        QTest::newRow("half of 1,005 up") << "2,01" << true << false << "50" << C << "1,01" << Status::Changed;
        QTest::newRow("12,5 percent") << "8,00" << true << true << "12,5" << C << "9,00" << Status::Changed;
        QTest::newRow("to five cents, half up")
            << "1,00" << true << true << "2,5" << Rounding::FiveCents << "1,05" << Status::Changed;
        QTest::newRow("to five cents, below half")
            << "1,00" << true << true << "2,4" << Rounding::FiveCents << "1,00" << Status::Same;
        QTest::newRow("to ten cents") << "3,33" << true << true << "0" << Rounding::TenCents << "3,30"
                                      << Status::Changed;
        QTest::newRow("to the euro, half up")
            << "12,00" << false << true << "0,50" << Rounding::Euro << "13,00" << Status::Changed;
        QTest::newRow("ending 90, nearest below")
            << "12,34" << true << true << "0" << Rounding::Ending90 << "11,90" << Status::Changed;
        QTest::newRow("ending 90, nearest above")
            << "12,50" << true << true << "0" << Rounding::Ending90 << "12,90" << Status::Changed;
        QTest::newRow("ending 90, half between goes up")
            << "12,40" << true << true << "0" << Rounding::Ending90 << "12,90" << Status::Changed;
        QTest::newRow("ending 99 below one euro")
            << "0,30" << true << true << "10" << Rounding::Ending99 << "0,99" << Status::Changed;
        QTest::newRow("ending 99 from nothing")
            << "0,00" << false << true << "0" << Rounding::Ending99 << "0,99" << Status::Changed;
        QTest::newRow("ending 99 just above one")
            << "1,40" << true << true << "0" << Rounding::Ending99 << "0,99" << Status::Changed;
        QTest::newRow("amount down to zero") << "2,00" << false << false << "2" << C << "0,00" << Status::Changed;
        QTest::newRow("amount below zero refused")
            << "2,00" << false << false << "2,01" << C << "" << Status::BelowZero;
        QTest::newRow("over 100 percent down refused")
            << "2,00" << true << false << "100,01" << C << "" << Status::BelowZero;
        QTest::newRow("negative price up refused if still below")
            << "-5,00" << false << true << "1" << C << "" << Status::BelowZero;
        QTest::newRow("as typed, normalised") << "7" << true << true << "0" << C << "7,00" << Status::Changed;
        QTest::newRow("already so") << "7,00" << true << true << "0" << C << "7,00" << Status::Same;
        QTest::newRow("no number left alone")
            << "su richiesta" << true << true << "10" << C << "" << Status::NotNumeric;
        QTest::newRow("too long for the field") << "999999999,99" << true << true << "10" << C << "" << Status::TooLong;
    }
    void changeRoundsOnCents()
    {
        QFETCH(QString, old);
        QFETCH(bool, percent);
        QFETCH(bool, up);
        QFETCH(QString, size);
        QFETCH(Rounding, rounding);
        QFETCH(QString, expected);
        QFETCH(Status, status);
        std::setlocale(LC_ALL, "it_IT.UTF-8");
        PriceChange change;
        change.by = percent ? PriceChange::By::Percent : PriceChange::By::Amount;
        change.up = up;
        change.size = Cents::readHundredths(size).value_or(-1);
        QVERIFY(change.size >= 0);
        change.rounding = rounding;
        const PriceChange::Outcome outcome = change.apply(old);
        QCOMPARE(outcome.status, status);
        QCOMPARE(outcome.text, expected);
    }

    void typedSizeHasAtMostTwoDecimals()
    {
        QCOMPARE(Cents::readHundredths(QStringLiteral("12,5")).value_or(-1), 1250);
        QCOMPARE(Cents::readHundredths(QStringLiteral("3")).value_or(-1), 300);
        QVERIFY(!Cents::readHundredths(QStringLiteral("1,255")));
        QVERIFY(!Cents::readHundredths(QStringLiteral("-3")));
        QVERIFY(!Cents::readHundredths(QStringLiteral("")));
    }

    // The list built by hand against its cards: only real differences, prices checked, texts not; the
    // code on two cards compared with the first; the slot whose code is no card's listed apart.
    void differencesOfAHandMadeList()
    {
        makeShop();
        const ListUpdate::Differences d = ListUpdate::compare(listPath(), QStringLiteral("Primavera"));
        QCOMPARE(d.pages, 2);
        QCOMPARE(d.slotsCompared, 4);
        QStringList rows;
        for (const ListUpdate::Row &r : d.rows)
            rows << QStringLiteral("%1%2 %3: %4 -> %5 [%6%7] card %8")
                        .arg(r.page)
                        .arg(QChar('A' + r.slot))
                        .arg(ListUpdate::fieldName(r.field), r.inList, r.inWarehouse, r.checked ? "x" : " ",
                            r.usable ? "" : " not usable")
                        .arg(r.card);
        const QStringList expected = {
            "1B Nome: Vaso rosso grande -> Vaso rosso [ ] card 2",
            "1B Prezzo: 18,00 -> 20,00 [x] card 2",
            "2C Prezzo: 2,50 -> 3,00 [x] card 3",
            "2H Prezzo: 7,00 -> su richiesta [  not usable] card 5",
        };
        QCOMPARE(rows, expected);
        QCOMPARE(int(d.missing.size()), 1);
        QCOMPARE(d.missing[0].page, 1);
        QCOMPARE(d.missing[0].slot, 3);
        QCOMPARE(d.missing[0].code, QStringLiteral("ZZ9"));
        QCOMPARE(int(d.shared.size()), 1);
        QCOMPARE(d.shared[0].code, QStringLiteral("T3"));
        QCOMPARE(d.shared[0].card, 3);
        QCOMPARE(d.shared[0].cards, 2);
    }

    // A card photo newer than the slot's is a difference, unchecked; applied, the slot photo is remade.
    void newerCardPhotoIsOffered()
    {
        makeShop();
        QImage photo(40, 30, QImage::Format_RGB32);
        photo.fill(Qt::red);
        QVERIFY(photo.save(programPath(QStringLiteral("1.jpg"))));
        ListUpdate::Differences d = ListUpdate::compare(listPath(), QStringLiteral("Primavera"));
        const auto found = std::find_if(
            d.rows.begin(), d.rows.end(), [](const ListUpdate::Row &r) { return r.field == ListUpdate::Field::Foto; });
        QVERIFY(found != d.rows.end());
        QCOMPARE(found->page, 1);
        QCOMPARE(found->slot, 0);
        QVERIFY(!found->checked);
        QCOMPARE(found->inList, QStringLiteral("nessuna foto"));
        for (ListUpdate::Row &r : d.rows)
            r.checked = r.field == ListUpdate::Field::Foto;
        const ListUpdate::Applied applied = ListUpdate::apply(listPath(), QStringLiteral("Primavera"), d.rows, "x");
        QCOMPARE(applied.photos, 1);
        QCOMPARE(applied.fields, 0);
        const QImage slotPhoto(folder() + QStringLiteral("/Foto_Listino/Primavera_Foto_A_1.jpg"));
        QCOMPARE(slotPhoto.size(), QSize(366, 274));
        // Done: the photo is no longer a difference.
        d = ListUpdate::compare(listPath(), QStringLiteral("Primavera"));
        QVERIFY(std::none_of(
            d.rows.begin(), d.rows.end(), [](const ListUpdate::Row &r) { return r.field == ListUpdate::Field::Foto; }));
    }

    // Applied, only the checked fields change; undone, every byte is back, leftovers after the texts too.
    void listUpdateAndItsUndo()
    {
        makeShop();
        const QByteArray before = readFile(listPath());
        ListUpdate::Differences d = ListUpdate::compare(listPath(), QStringLiteral("Primavera"));
        const ListUpdate::Applied applied = ListUpdate::apply(listPath(), QStringLiteral("Primavera"), d.rows, "prova");
        QCOMPARE(applied.fields, 2); // the two usable prices
        QCOMPARE(applied.pages, 2);
        QCOMPARE(PriceListFile::read(listPath(), 1).voci[1][TVoceListino::Prezzo], QStringLiteral("20,00"));
        QCOMPARE(PriceListFile::read(listPath(), 1).voci[1][TVoceListino::Nome], QStringLiteral("Vaso rosso grande"));
        QCOMPARE(PriceListFile::read(listPath(), 2).voci[2][TVoceListino::Prezzo], QStringLiteral("3,00"));
        QCOMPARE(PriceListFile::read(listPath(), 2).voci[7][TVoceListino::Prezzo], QStringLiteral("7,00"));
        QVERIFY(!QFile::exists(Journal::path()));
        QCOMPARE(ListUpdate::lastUpdate(listPath()), QStringLiteral("prova"));
        QCOMPARE(ListUpdate::lastUpdate(programPath(QStringLiteral("Altro.lis"))), QString());

        QCOMPARE(ListUpdate::undo(listPath()), ListUpdate::Undo::Done);
        QCOMPARE(readFile(listPath()), before);
        QCOMPARE(ListUpdate::undo(listPath()), ListUpdate::Undo::Nothing);
    }

    void listUndoRefusedAfterAnotherChange()
    {
        makeShop();
        ListUpdate::Differences d = ListUpdate::compare(listPath(), QStringLiteral("Primavera"));
        (void)ListUpdate::apply(listPath(), QStringLiteral("Primavera"), d.rows, "prova");
        TPaginaListino page = PriceListFile::read(listPath(), 2);
        page.voci[0] = slot(QStringLiteral("N1"), QStringLiteral("Nuovo"), QStringLiteral("1,00"));
        PriceListFile::write(listPath(), 2, page);
        const QByteArray edited = readFile(listPath());
        QCOMPARE(ListUpdate::undo(listPath()), ListUpdate::Undo::ChangedSince);
        QCOMPARE(readFile(listPath()), edited);
    }

    // Every write of the pass failing in turn, and the final flush: the list is as it was, byte for byte,
    // and no journal is left. With the roll-back failing too, the next start puts it back.
    void listUpdateFailingMidWayLeavesTheListAsItWas()
    {
        makeShop();
        const QByteArray before = readFile(listPath());
        const ListUpdate::Differences d = ListUpdate::compare(listPath(), QStringLiteral("Primavera"));
        const std::string list = QFile::encodeName(listPath()).toStdString();
        for (const auto kind : { Os::Faults::Kind::Write, Os::Faults::Kind::Sync }) {
            for (int call = 1;; ++call) {
                bool failed = false;
                bool fired = false;
                {
                    Os::Faults::Armed fault({ kind, call, Os::Error::Other, list, true });
                    try {
                        (void)ListUpdate::apply(listPath(), QStringLiteral("Primavera"), d.rows, "prova");
                    } catch (const ArchiveError &) {
                        failed = true;
                    }
                    fired = Os::Faults::fired();
                }
                if (!fired) { // past the pass's last call: it went through
                    writeFile(listPath(), before);
                    break;
                }
                QVERIFY2(failed, qPrintable(QStringLiteral("call %1").arg(call)));
                QCOMPARE(readFile(listPath()), before);
                QVERIFY(!QFile::exists(Journal::path()));
                QCOMPARE(ListUpdate::lastUpdate(listPath()), QString());
            }
        }
        {
            Os::Faults::Fault lasting { Os::Faults::Kind::Write, 2, Os::Error::Other, list, true };
            lasting.lasting = true;
            Os::Faults::Armed fault(lasting);
            QVERIFY_THROWS_EXCEPTION(
                ArchiveError, ListUpdate::apply(listPath(), QStringLiteral("Primavera"), d.rows, "prova"));
        }
        QVERIFY(QFile::exists(Journal::path()));
        QVERIFY(!Journal::recover().isEmpty());
        QCOMPARE(readFile(listPath()), before);
        QVERIFY(!QFile::exists(Journal::path()));
    }

    // The change writes only the price field's bytes of the cards it changes; undone, every byte is back.
    void priceChangeAndItsUndo()
    {
        makeShop();
        const QByteArray before = readFile(warehousePath());
        const PriceChangeRun::Preview preview = PriceChangeRun::preview({ 1, 2, 5 }, tenPercentUp());
        QCOMPARE(int(preview.lines.size()), 3);
        QCOMPARE(preview.counts.changed, 2);
        QCOMPARE(preview.counts.notNumeric, 1);
        QCOMPARE(preview.counts.totalBefore, 3250);
        QCOMPARE(preview.counts.totalAfter, 3575);
        QCOMPARE(preview.lines[0].outcome.text, QStringLiteral("13,75"));

        const PriceChangeRun::Applied applied = PriceChangeRun::apply({ 1, 2, 5 }, tenPercentUp(), "dieci");
        QCOMPARE(applied.counts.changed, 2);
        QCOMPARE(applied.changedCodes, (QSet<QString> { "V1", "V2" }));
        const QByteArray after = readFile(warehousePath());
        QCOMPARE(after.size(), before.size());
        // Only the price fields of cards 1 and 2 differ.
        const auto &prezzo = TSchedaProdotto::info(TSchedaProdotto::Prezzo);
        for (int i = 0; i < before.size(); ++i) {
            const int record = i / TSchedaProdotto::RecordSize;
            const int offset = i % TSchedaProdotto::RecordSize;
            const bool inPrice = record < 2 && offset >= prezzo.offset && offset <= prezzo.offset + prezzo.width;
            if (!inPrice)
                QVERIFY2(before[i] == after[i], qPrintable(QString::number(i)));
        }
        QCOMPARE(WarehouseArchive::read(2)[TSchedaProdotto::Prezzo], QStringLiteral("22,00"));
        QCOMPARE(WarehouseArchive::read(5)[TSchedaProdotto::Prezzo], QStringLiteral("su richiesta"));
        QCOMPARE(PriceChangeRun::lastChange(), QStringLiteral("dieci"));
        QCOMPARE(ListUpdate::listsContaining(applied.changedCodes), QStringList { "Primavera" });

        QCOMPARE(PriceChangeRun::undo(), PriceChangeRun::Undo::Done);
        QCOMPARE(readFile(warehousePath()), before);
        QCOMPARE(PriceChangeRun::undo(), PriceChangeRun::Undo::Nothing);
    }

    void priceUndoRefusedAfterAnotherChange()
    {
        makeShop();
        (void)PriceChangeRun::apply({ 1, 2 }, tenPercentUp(), "dieci");
        WarehouseArchive::overwrite(3, card(QStringLiteral("T3"), QStringLiteral("Tazza"), QStringLiteral("4,00")));
        const QByteArray edited = readFile(warehousePath());
        QCOMPARE(PriceChangeRun::undo(), PriceChangeRun::Undo::ChangedSince);
        QCOMPARE(readFile(warehousePath()), edited);
        // A new change replaces what can be undone: only the last one is.
        (void)PriceChangeRun::apply({ 3 }, tenPercentUp(), "ancora");
        QCOMPARE(PriceChangeRun::lastChange(), QStringLiteral("ancora"));
        QCOMPARE(PriceChangeRun::undo(), PriceChangeRun::Undo::Done);
        QCOMPARE(readFile(warehousePath()), edited);
    }

    void priceChangeFailingMidWayLeavesTheArchiveAsItWas()
    {
        makeShop();
        (void)PriceChangeRun::apply({ 3 }, tenPercentUp(), "prima");
        const QByteArray before = readFile(warehousePath());
        const std::string archive = QFile::encodeName(warehousePath()).toStdString();
        for (const auto kind : { Os::Faults::Kind::Write, Os::Faults::Kind::Sync }) {
            for (int call = 1;; ++call) {
                bool failed = false;
                bool fired = false;
                {
                    Os::Faults::Armed fault({ kind, call, Os::Error::Other, archive, true });
                    try {
                        (void)PriceChangeRun::apply({ 1, 2, 4 }, tenPercentUp(), "dieci");
                    } catch (const ArchiveError &) {
                        failed = true;
                    }
                    fired = Os::Faults::fired();
                }
                if (!fired) { // past the pass's last call: it went through
                    writeFile(warehousePath(), before);
                    break;
                }
                QVERIFY2(failed, qPrintable(QStringLiteral("call %1").arg(call)));
                QCOMPARE(readFile(warehousePath()), before);
                QVERIFY(!QFile::exists(Journal::path()));
                // The failed change is not what an undo would undo, nor is the one before any more.
                QCOMPARE(PriceChangeRun::undo(), PriceChangeRun::Undo::Nothing);
            }
        }
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestPriceChanges)
#include "tst_pricechanges.moc"
