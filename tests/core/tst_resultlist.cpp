#include "storage/ArchiveFile.h"
#include "storage/Codepage.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"
#include "storage/platform/Faults.h"
#include "warehouse/rules/CardFilter.h"
#include "warehouse/rules/ListFind.h"
#include "warehouse/rules/ResultLine.h"
#include "warehouse/rules/ResultScan.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using F = TSchedaProdotto;
using Fields = QList<QPair<TSchedaProdotto::Field, QString>>;
Q_DECLARE_METATYPE(Fields)
Q_DECLARE_METATYPE(LineLayout)

namespace {
// A stored record whose fields hold exactly the given texts, blanks included, as the archive
// may hold them when written by another hand.
QByteArray rawRecord(const Fields &fields)
{
    QByteArray record(TSchedaProdotto::RecordSize, '\0');
    for (const auto &[field, text] : fields) {
        const QByteArray bytes = toCp1252(text);
        const auto &info = TSchedaProdotto::info(field);
        record[info.offset] = static_cast<char>(qMin<qsizetype>(bytes.size(), info.width));
        record.replace(info.offset + 1, qMin<qsizetype>(bytes.size(), info.width), bytes.left(info.width));
    }
    return record;
}

TSchedaProdotto card(const Fields &fields)
{
    TSchedaProdotto c;
    for (const auto &[field, text] : fields)
        c[field] = text;
    return c;
}

QStringList lines(const ResultLines &entries)
{
    return entries.lines();
}

QList<qint64> records(const ResultLines &entries)
{
    QList<qint64> out;
    for (qsizetype i = 0; i < entries.size(); ++i)
        out << entries.record(i);
    return out;
}
} // namespace

class TestResultList : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        setProgramFolderOverride(m_dir->path());
    }
    void cleanup()
    {
        Os::Faults::disarm();
        setProgramFolderOverride(QString());
    }

    void lineColumns_data()
    {
        QTest::addColumn<LineLayout>("layout");
        QTest::addColumn<Fields>("fields");
        QTest::addColumn<QString>("expected");

        const Fields shortFields = { { F::Codice, "A1" }, { F::Nome, "Perché così" }, { F::Tipologia, "Casa" },
            { F::Giacenza, "3" }, { F::Pagato, "Sì" }, { F::DataSca, "01/02/2025" }, { F::Costo, "12,50" },
            { F::Ditta, "Città di Castello" } };
        const Fields overWidth = { { F::Codice, "ABCDEFGHIJKLMNOPQRSTUVWXY" },
            { F::Nome, "Lampada in vetro soffiato di Murano, fatta a mano!" },
            { F::Tipologia, "Articoli da regalo e bomboniere" }, { F::Giacenza, "12" }, { F::Pagato, "No" },
            { F::Costo, "0,00" }, { F::Ditta, "Forniture Ingrosso Città di Castello" } };

        QTest::newRow("short, non-ASCII")
            << LineLayout::Search << shortFields
            << "Cod. A1                      Perché così                         Cat. Casa"
               "                    Giac. 3     Pagato: Sì  Scad. 01/02/2025  Costo: € 12,50";
        QTest::newRow("exact widths") << LineLayout::Search
                                      << Fields { { F::Codice, "ABCDEFGHIJKLMNOPQRSTUV" },
                                             { F::Nome, QString(34, 'N') }, { F::Tipologia, QString(22, 'T') },
                                             { F::Giacenza, "1234" }, { F::Pagato, "No" }, { F::DataSca, "31/12/2030" },
                                             { F::Costo, "123456789,00" } }
                                      << "Cod. ABCDEFGHIJKLMNOPQRSTUV  NNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNN  Cat. "
                                         "TTTTTTTTTTTTTTTTTTTTTT  Giac. 1234"
                                         "  Pagato: No  Scad. 31/12/2030  Costo: € 123456789,00";
        QTest::newRow("over width")
            << LineLayout::Search << overWidth
            << "Cod. ABCDEFGHIJKLMNOPQRSTUV  Lampada in vetro soffiato di Muran  Cat. Articoli da "
               "regalo e b  Giac. 12    Pagato: No  Scad.             Costo: € 0,00";
        QTest::newRow("stored blanks and control characters are trimmed")
            << LineLayout::Search
            << Fields { { F::Codice, "  A1\t" }, { F::Nome, " Vaso " }, { F::Costo, "  7,00 " }, { F::Pagato, " " } }
            << "Cod. A1                      Vaso                                Cat.                         Giac.   "
               "    Pagato:     Scad.             Costo: € 7,00";
        QTest::newRow("empty record") << LineLayout::Search << Fields {}
                                      << "Cod.                                                             Cat.        "
                                         "                 Giac.       Pagato:     Scad.             Costo: € ";
        QTest::newRow("unpaid, short")
            << LineLayout::Unpaid << shortFields
            << "Cod. A1                    Perché così                     Casa            "
               "      Giac. 3     Città di Castello         Scad. 01/02/2025  Costo: € 12,50";
        QTest::newRow("unpaid, over width")
            << LineLayout::Unpaid << overWidth
            << "Cod. ABCDEFGHIJKLMNOPQRST  Lampada in vetro soffiato di M  Articoli da regalo e  Giac. 12    Forniture "
               "Ingrosso Città  Scad.             Costo: € 0,00";
    }

    void lineColumns()
    {
        QFETCH(LineLayout, layout);
        QFETCH(Fields, fields);
        QFETCH(QString, expected);
        QCOMPARE(resultLine(layout, rawRecord(fields).constData()), expected);
    }

    void lineSurvivesADamagedLengthByte()
    {
        QByteArray record = rawRecord({ { F::Codice, QString(25, 'C') } });
        record[TSchedaProdotto::info(F::Codice).offset] = char(200);
        QCOMPARE(resultLine(LineLayout::Search, record.constData()).mid(5, 24), QString(22, 'C') + "  ");
    }

    void sortOrder()
    {
        ResultLines entries;
        const QStringList given = { "Cod. b", "Cod. _", "Cod. A", "Cod. ab", "Cod. Z", "Cod. a", "Cod. 9", "Cod. À",
            "Cod. abcdefgh1", "Cod. ABCDEFGH0", "Cod. abcdefgh" };
        for (int i = 0; i < given.size(); ++i)
            entries.append(given[i], i + 1);
        entries.sort();
        // Letters compare as capitals, everything else by its code; a beginning sorts before
        // the longer text; equal texts (A and a) keep their file order.
        QCOMPARE(lines(entries),
            QStringList({ "Cod. 9", "Cod. A", "Cod. a", "Cod. ab", "Cod. abcdefgh", "Cod. ABCDEFGH0", "Cod. abcdefgh1",
                "Cod. b", "Cod. Z", "Cod. _", "Cod. À" }));
        QCOMPARE(records(entries), QList<qint64>({ 7, 3, 6, 4, 11, 10, 9, 1, 5, 2, 8 }));
    }

    void scanKeepsEveryCardOfEqualLinesWithItsOwnNumber()
    {
        WarehouseArchive::append(card({ { F::Codice, "B" } }));
        WarehouseArchive::append(card({ { F::Codice, "A" }, { F::Nome, "Vaso" } }));
        WarehouseArchive::append(card({ { F::Codice, "B" } }));
        ResultLines entries;
        collectResults(entries, LineLayout::Search, [](const char *) { return true; });
        entries.sort();
        QCOMPARE(records(entries), QList<qint64>({ 2, 1, 3 }));
        QCOMPARE(entries.line(1), entries.line(2));
    }

    void scanFailureKeepsWhatWasRead()
    {
        for (int i = 0; i < 300; ++i)
            WarehouseArchive::append(card({ { F::Codice, QString::number(i) } }));
        // The second block of reads, and every one after, meets a failing disk.
        Os::Faults::arm({ .kind = Os::Faults::Kind::Read, .call = 2, .path = "Magazzino.pro", .lasting = true });
        ResultLines entries;
        QVERIFY_THROWS_EXCEPTION(
            ArchiveError, collectResults(entries, LineLayout::Search, [](const char *) { return true; }));
        QCOMPARE(entries.size(), qsizetype(256));
    }

    void matchRule_data()
    {
        QTest::addColumn<Fields>("boxes");
        QTest::addColumn<Fields>("fields");
        QTest::addColumn<bool>("listed");

        const Fields none;
        QTest::newRow("no box: every card") << none << Fields { { F::Codice, "X" } } << true;
        QTest::newRow("abc finds XABCY") << Fields { { F::Codice, "abc" } } << Fields { { F::Codice, "XABCY" } }
                                         << true;
        QTest::newRow("abc finds abc1") << Fields { { F::Codice, "abc" } } << Fields { { F::Codice, "abc1" } } << true;
        QTest::newRow("ABC finds abc1") << Fields { { F::Codice, "ABC" } } << Fields { { F::Codice, "abc1" } } << true;
        QTest::newRow("abc not in ab c") << Fields { { F::Codice, "abc" } } << Fields { { F::Codice, "ab c" } }
                                         << false;
        QTest::newRow("è does not find È") << Fields { { F::Nome, "è" } } << Fields { { F::Nome, "PERCHÈ" } } << false;
        QTest::newRow("è finds è") << Fields { { F::Nome, "è" } } << Fields { { F::Nome, "Perchè" } } << true;
        QTest::newRow("12,5 finds 12,50")
            << Fields { { F::Costo, "12,5" } } << Fields { { F::Costo, "12,50" } } << true;
        QTest::newRow("box looks only at its own field")
            << Fields { { F::Nome, "vaso" } } << Fields { { F::Codice, "vaso" }, { F::Note, "vaso" } } << false;
        const Fields both = { { F::Codice, "a" }, { F::Nome, "vaso" } };
        QTest::newRow("two boxes, both match")
            << both << Fields { { F::Codice, "A7" }, { F::Nome, "Vaso blu" } } << true;
        QTest::newRow("two boxes, one matches")
            << both << Fields { { F::Codice, "B7" }, { F::Nome, "Vaso blu" } } << false;
        QTest::newRow("blank box alone: every card")
            << Fields { { F::Nome, " " } } << Fields { { F::Nome, "Vaso" } } << true;
        const Fields blankAndCode = { { F::Nome, " " }, { F::Codice, "zz" } };
        QTest::newRow("matching blank makes up for another box")
            << blankAndCode << Fields { { F::Codice, "A1" }, { F::Nome, "Vaso blu" } } << true;
        QTest::newRow("blank box without blank in field")
            << blankAndCode << Fields { { F::Codice, "A1" }, { F::Nome, "Vaso" } } << false;
        QTest::newRow("trailing blank needs the blank in the field")
            << Fields { { F::Nome, "vaso " } } << Fields { { F::Nome, "Vaso" } } << false;
        QTest::newRow("trailing blank found inside the field")
            << Fields { { F::Nome, "vaso " } } << Fields { { F::Nome, "Vaso blu" } } << true;
        QTest::newRow("a character the archive cannot hold")
            << Fields { { F::Nome, "\u0142" } } << Fields { { F::Nome, "?" } } << false;
        QTest::newRow("end of the longest field")
            << Fields { { F::Note, "fine" } } << Fields { { F::Note, QString(246, 'x') + "FINE" } } << true;
    }

    void matchRule()
    {
        QFETCH(Fields, boxes);
        QFETCH(Fields, fields);
        QFETCH(bool, listed);
        QList<CardMatcher::Box> list;
        for (const auto &[field, text] : boxes)
            list.append({ field, text });
        // Every search sends all ten boxes; the ones not in the case are empty.
        for (F::Field f : { F::Codice, F::Costo, F::Nome, F::Tipologia, F::Caratteristiche, F::Collocazione, F::Ditta,
                 F::Agente, F::Documento, F::Note })
            if (std::none_of(boxes.begin(), boxes.end(), [f](const auto &b) { return b.first == f; }))
                list.append({ f, QString() });
        const CardMatcher matcher(list);
        QCOMPARE(matcher.matches(rawRecord(fields).constData()), listed);
    }

    void blankBoxesAreNotCounted()
    {
        const CardMatcher matcher({ { F::Codice, "  " }, { F::Nome, " a " }, { F::Note, "" }, { F::Ditta, "x" } });
        QCOMPARE(matcher.countedBoxes(), 2);
    }

    void underStock_data()
    {
        QTest::addColumn<QString>("stock");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<bool>("listed");
        QTest::newRow("3 and 3") << "3"
                                 << "3" << true;
        QTest::newRow("4 and 3") << "4"
                                 << "3" << false;
        QTest::newRow("0 and 0") << "0"
                                 << "0" << true;
        QTest::newRow("2 and 10") << "2"
                                  << "10" << true;
        QTest::newRow("decimal comma") << "2,5"
                                       << "2" << false;
        QTest::newRow("negative stock") << "-1"
                                        << "0" << true;
        QTest::newRow("empty stock") << ""
                                     << "3" << false;
        QTest::newRow("text warning") << "1"
                                      << "abc" << false;
    }

    void underStock()
    {
        QFETCH(QString, stock);
        QFETCH(QString, warning);
        QFETCH(bool, listed);
        QCOMPARE(isUnderStock(rawRecord({ { F::Giacenza, stock }, { F::Avviso, warning } }).constData()), listed);
    }

    void underStockGoesOnPastACardThatIsNotANumber()
    {
        const QList<QPair<QString, QString>> cards
            = { { "1", "2" }, { "5", "2" }, { "", "2" }, { "2", "2" }, { "x", "0" }, { "0", "0" } };
        for (const auto &[stock, warning] : cards)
            WarehouseArchive::append(card({ { F::Giacenza, stock }, { F::Avviso, warning } }));
        ResultLines entries;
        collectResults(entries, LineLayout::Search, isUnderStock);
        QCOMPARE(records(entries), QList<qint64>({ 1, 4, 6 }));
    }

    void unpaid_data()
    {
        QTest::addColumn<QString>("paid");
        QTest::addColumn<bool>("listed");
        QTest::newRow("No") << "No" << true;
        QTest::newRow("Sì") << "Sì" << false;
        QTest::newRow("no") << "no" << false;
        QTest::newRow("NO") << "NO" << false;
        QTest::newRow("empty") << "" << false;
    }

    void unpaid()
    {
        QFETCH(QString, paid);
        QFETCH(bool, listed);
        QCOMPARE(isUnpaid(rawRecord({ { F::Pagato, paid } }).constData()), listed);
    }

    void listFind()
    {
        const QStringList entries = { "Cod. A1 Vaso", "Cod. B2 Tazza", "Cod. C3 vaso", "Cod. D4 Piatto" };
        auto text = [&](int i) { return entries.at(i); };
        ListFind find;
        // A new key starts from the top, whatever is selected.
        QCOMPARE(find.find("VASO", 4, 3, text), 0);
        // The same key moves on from the selection and wraps from the last entry to the first.
        QCOMPARE(find.find("VASO", 4, 0, text), 2);
        QCOMPARE(find.find("VASO", 4, 2, text), 0);
        // The only match stays selected.
        QCOMPARE(find.find("tazza", 4, 1, text), 1);
        QCOMPARE(find.find("tazza", 4, 1, text), 1);
        QCOMPARE(find.key(), QStringLiteral("tazza"));
        // Nothing found: the caller keeps its selection.
        QCOMPARE(find.find("sedia", 4, 1, text), -1);
        QCOMPARE(find.find("", 4, 1, text), -1);
        // The key is not trimmed.
        QCOMPARE(find.find("vaso ", 4, 1, text), -1);
        // è is not È.
        const QStringList accented = { "Cod. PERCHÈ" };
        QCOMPARE(find.find("è", 1, 0, [&](int i) { return accented.at(i); }), -1);
        find.forget();
        QCOMPARE(find.key(), QString());
    }

    // The find jumps between the places holding the key's first letter in either case.
    void containsLoweredKey_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("found");
        QTest::newRow("upper first letter") << "xxVaSo"
                                            << "vaso" << true;
        QTest::newRow("lower then upper start") << "vasvASO"
                                                << "vaso" << true;
        QTest::newRow("upper then lower start") << "VAvaso"
                                                << "vaso" << true;
        QTest::newRow("overlapping starts") << "aaab"
                                            << "aab" << true;
        QTest::newRow("only a near miss") << "vasvas vas"
                                          << "vaso" << false;
        QTest::newRow("key at the very end") << "12345-b2"
                                             << "-b2" << true;
        QTest::newRow("start too close to the end") << "xxxva"
                                                    << "vas" << false;
        QTest::newRow("key longer than text") << "va"
                                              << "vaso" << false;
        QTest::newRow("accent first, not folded") << "PERCHÈ è"
                                                  << "è" << true;
        QTest::newRow("accent upper is another letter") << "PERCHÈ"
                                                        << "è" << false;
        // Letters are looked for eight characters at a time: matches in a later block and in the tail.
        QTest::newRow("capital in the third block") << "0123456789abcdef0123Vaso"
                                                    << "vaso" << true;
        QTest::newRow("ending a block exactly") << "xxxxxxxxxxxxVASO"
                                                << "vaso" << true;
        QTest::newRow("in the tail after the blocks") << "xxxxxxxxxxvaso"
                                                      << "vaso" << true;
        QTest::newRow("near misses across blocks") << "vasvasvasVASvasVASvasVA"
                                                   << "vaso" << false;
        QTest::newRow("other characters have no cases") << "[[[[[[[[[[x"
                                                        << "{x" << false;
    }

    void containsLoweredKey()
    {
        QFETCH(QString, text);
        QFETCH(QString, key);
        QFETCH(bool, found);
        QCOMPARE(containsLowered(text, key), found);
    }
};

QTEST_GUILESS_MAIN(TestResultList)
#include "tst_resultlist.moc"
