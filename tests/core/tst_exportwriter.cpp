#include "storage/SchedaProdotto.h"
#include "storage/platform/Faults.h"
#include "warehouse/rules/ExportWriter.h"
#include "warehouse/rules/WarehouseSheet.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
using S = TSchedaProdotto;

const QByteArray kHead = "<html xmlns:o=\"urn:schemas-microsoft-com:office:office\" "
                         "xmlns:x=\"urn:schemas-microsoft-com:office:excel\" "
                         "xmlns=\"http://www.w3.org/TR/REC-html40\">"
                         "<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">"
                         "<!--[if gte mso 9]><xml><x:ExcelWorkbook><x:ExcelWorksheets><x:ExcelWorksheet>"
                         "<x:Name>Magazzino Prodotti</x:Name><x:WorksheetOptions><x:Selected/><x:Panes><x:Pane>"
                         "<x:Number>1</x:Number><x:ActiveRow>3</x:ActiveRow></x:Pane></x:Panes>"
                         "<x:ProtectContents>False</x:ProtectContents><x:ProtectObjects>False</x:ProtectObjects>"
                         "<x:ProtectScenarios>False</x:ProtectScenarios></x:WorksheetOptions></x:ExcelWorksheet>"
                         "</x:ExcelWorksheets></x:ExcelWorkbook></xml><![endif]--></head><body><table x:str><tr>";

QByteArray headerCells()
{
    const QList<QPair<int, QByteArray>> cells
        = { { 250, "Codice articolo" }, { 200, "Costo unitario" }, { 250, "Nome prodotto" }, { 180, "Giacenza" },
              { 250, "Aspetto esteriore del bene" }, { 250, "Categoria merceologica" }, { 350, "Caratteristiche" },
              { 250, "Collocazione in magazzino" }, { 250, "Ditta fornitrice" }, { 250, "Agente" },
              { 200, "Recapito telefonico" }, { 250, "Documento di acquisto" }, { 250, "Modalit\xE0 di pagamento" },
              { 200, "Data scadenza" }, { 350, "Note" }, { 200, "Prezzo di vendita" }, { 150, "Pagato" } };
    QByteArray out;
    for (const auto &c : cells)
        out += "<td style=\"text-align: left; font-weight: bold;\" width=" + QByteArray::number(c.first) + ">"
            + c.second + "</td>";
    return out;
}

QByteArray row(const QList<QByteArray> &cells)
{
    QByteArray out = "<tr>";
    for (const QByteArray &c : cells)
        out += "<td style=\"text-align: left;\" sdnum=\"1040;0;@\">" + c + "</td>";
    return out + "</tr>";
}

QByteArray file(const QByteArray &rows)
{
    return kHead + headerCells() + "</tr>" + rows + "</table></body></html>";
}

QByteArray record(const S &card)
{
    QByteArray bytes(S::RecordSize, '\0');
    card.store(bytes.data());
    return bytes;
}

S card(const QStringList &values)
{
    S c;
    for (int i = 0; i < values.size(); ++i)
        c.values[i] = values[i];
    return c;
}
} // namespace

class TestExportWriter : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { Os::Faults::disarm(); }

    void threeCardsAsTheFileLists()
    {
        WarehouseSheet sheet;
        sheet.appendRecord(record(card({ "007", "12,50", "Vaso", "3", "1", "Ceramica", "Casa", "Smaltato", "A1",
                                      "Rossi", "Bianchi", "0512345678", "Fatt. 1", "Bonifico", "31/12/2014", "",
                                      "25,00", "S\u00ec", "listino.xlsx", "", "", "Listino", "", "" }))
                               .constData());
        sheet.appendRecord(record(card({ "B2", "0,00", "Tazza \u20ac" })).constData());
        sheet.appendRecord(record(
            card({ "C3", "1,00", "Piatto", "", "", "", "", "", "", "", "", "", "", "", "", "nota", "2,00", "No" }))
                               .constData());
        QCOMPARE(sheet.rowCount(), 3);

        const QByteArray expected
            = file(row({ "007", "12,50", "Vaso", "3", "Ceramica", "Casa", "Smaltato", "A1", "Rossi", "Bianchi",
                       "0512345678", "Fatt. 1", "Bonifico", "31/12/2014", "", "25,00", "S\xEC" })
                + row({ "B2", "0,00", "Tazza \x80", "", "", "", "", "", "", "", "", "", "", "", "", "", "" })
                + row({ "C3", "1,00", "Piatto", "", "", "", "", "", "", "", "", "", "", "", "nota", "2,00", "No" }));
        const QByteArray bytes = ExportWriter::build(sheet);
        QCOMPARE(bytes, expected);
        QVERIFY(!bytes.contains('\n') && !bytes.contains('\r'));
    }

    void tenEmptyRows()
    {
        WarehouseSheet sheet;
        sheet.setRowCount(10);
        const QByteArray empty = row(QList<QByteArray>(17));
        QCOMPARE(ExportWriter::build(sheet), file(empty.repeated(10)));
    }

    void everyDataCellKeepsItsText()
    {
        WarehouseSheet sheet;
        sheet.setRowCount(4);
        sheet.setText(0, 0, "x");
        sheet.setText(3, 16, "y");
        const QByteArray bytes = ExportWriter::build(sheet);
        QCOMPARE(bytes.count("<td style=\"text-align: left;\" sdnum=\"1040;0;@\">"), 4 * 17);
        QCOMPARE(bytes.count("<td"), 4 * 17 + 17);
    }

    void cellTexts_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("markup") << "<b>regalo</b>" << QByteArray("&lt;b&gt;regalo&lt;/b&gt;");
        QTest::newRow("ampersand") << "a & b" << QByteArray("a &amp; b");
        QTest::newRow("quote") << "pollici 3\"" << QByteArray("pollici 3&quot;");
        QTest::newRow("cell break") << "fine</td>cella" << QByteArray("fine&lt;/td&gt;cella");
        QTest::newRow("entity stays literal") << "&amp;" << QByteArray("&amp;amp;");
        QTest::newRow("trimmed") << "  \t 12,50 \r\n" << QByteArray("12,50");
        QTest::newRow("line breaks and tabs inside")
            << "riga1\nriga2\r\nriga3\tfine" << QByteArray("riga1 riga2  riga3 fine");
        QTest::newRow("code page") << "\u00e8 \u20ac \u2019" << QByteArray("\xE8 \x80 \x92");
        QTest::newRow("outside code page") << "\u0141\u00f3d\u017a"
                                           << QByteArray("&#321;\xF3"
                                                         "d&#378;");
        QTest::newRow("outside the basic plane") << "ok \U0001F600" << QByteArray("ok &#128512;");
    }

    void cellTexts()
    {
        QFETCH(QString, typed);
        QFETCH(QByteArray, written);
        QCOMPARE(ExportWriter::cellText(typed), written);
    }

    void aLineBreakStoredInACardIsABlankInTheFile()
    {
        // An archive written before the boxes kept to one line may hold line breaks and tabs.
        WarehouseSheet sheet;
        sheet.appendRecord(record(card({ "A1", "1,00", "riga1\r\nriga2\triga3" })).constData());
        const QByteArray bytes = ExportWriter::build(sheet);
        QVERIFY(!bytes.contains('\n') && !bytes.contains('\r') && !bytes.contains('\t'));
        QVERIFY(bytes.contains("riga1  riga2 riga3"));
    }

    void sheetReadsTheStoredFields()
    {
        QByteArray raw = record(card({ "A" }));
        // Blanks and control characters around a stored text, and a length byte past the field width.
        const auto &nome = S::info(S::Nome);
        raw[nome.offset] = 6;
        memcpy(raw.data() + nome.offset + 1, " \x01Vaso\t", 6);
        const auto &codice = S::info(S::Codice);
        raw[codice.offset] = char(200);
        memset(raw.data() + codice.offset + 1, 'C', codice.width);
        const auto &pagato = S::info(S::Pagato);
        raw[pagato.offset] = 2;
        memcpy(raw.data() + pagato.offset + 1, "S\xEC", 2);

        WarehouseSheet sheet;
        sheet.setRowCount(3);
        sheet.appendRecord(raw.constData());
        QCOMPARE(sheet.rowCount(), 3);
        QCOMPARE(sheet.filledCount(), 1);
        QCOMPARE(sheet.text(0, 0), QString(codice.width, 'C'));
        QCOMPARE(sheet.text(0, 2), QStringLiteral("Vaso"));
        QCOMPARE(sheet.text(0, 16), QStringLiteral("S\u00ec"));
        QCOMPARE(sheet.text(1, 0), QString());

        sheet.setText(0, 2, "Vaso grande");
        sheet.setText(2, 15, "9,90");
        QCOMPARE(sheet.text(0, 2), QStringLiteral("Vaso grande"));
        QCOMPARE(sheet.text(2, 15), QStringLiteral("9,90"));
        QCOMPARE(sheet.text(0, 0), QString(codice.width, 'C'));
    }

    void writeReplacesOnlyWhenComplete()
    {
        // Several blocks of text with entities, so pieces end in the middle of the file.
        WarehouseSheet sheet;
        sheet.setRowCount(2000);
        for (int r = 0; r < sheet.rowCount(); ++r)
            for (int c = 0; c < WarehouseSheet::ColumnCount; ++c)
                sheet.setText(
                    r, c, QStringLiteral("r%1 <c%2> & \"%3\"").arg(r).arg(c).arg(QString(20, QChar(u'\u00e8'))));
        const QByteArray expected = ExportWriter::build(sheet);
        QVERIFY(expected.size() > (3 << 20));
        QTemporaryDir dir;
        const QString path = dir.filePath("Magazzino.xls");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("first") == 5);
        f.close();

        // The second block of the file meets a full disk.
        Os::Faults::arm({ .kind = Os::Faults::Kind::Write, .call = 2, .path = "Magazzino.xls" });
        QVERIFY(!ExportWriter::write(path, sheet));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("first"));
        f.close();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList { "Magazzino.xls" });

        Os::Faults::disarm();
        QVERIFY(ExportWriter::write(path, sheet));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll() == expected);
    }

    void writeOverAFolderFails()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Magazzino.xls");
        QVERIFY(QDir().mkdir(path));
        QVERIFY(!ExportWriter::write(path, WarehouseSheet()));
        QVERIFY(QFileInfo(path).isDir());
    }
};

QTEST_GUILESS_MAIN(TestExportWriter)
#include "tst_exportwriter.moc"
