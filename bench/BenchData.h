#pragma once

// What several benchmarks make the same way: a supplier's product list to import, and the export's grid.

#include "storage/SchedaProdotto.h"
#include "warehouse/rules/WarehouseSheet.h"

#include <QFile>
#include <QHash>
#include <QStringList>

#include <zip.h>

namespace BenchData {

/** Writes a semicolon product list of `rows` rows with a header, as a supplier would send it; false on failure. */
inline bool writeProductList(const QString &path, int rows)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write("Codice;Descrizione;Costo;Prezzo;Aspetto;Categoria;Caratteristiche;Quantit\xC3\xA0;Fornitore;Note\n");
    for (int i = 0; i < rows; ++i)
        f.write(QStringLiteral("ART%1;Vaso in ceramica n. %1;%2,50;%3,90;Scatola;Casa;\"Smaltato; alto 32 cm\";%4;"
                               "Vetreria S.n.c.;Riordinare prima di Pasqua\n")
                    .arg(i)
                    .arg(i % 90 + 1)
                    .arg(i % 200 + 2)
                    .arg(i % 50)
                    .toUtf8());
    return f.error() == QFileDevice::NoError;
}

/**
 * Writes the same product list as a workbook (.xlsx) the way a spreadsheet program saves one: texts in
 * the shared table, numbers as numbers, a date style on the due dates; false on failure.
 */
inline bool writeProductWorkbook(const QString &path, int rows)
{
    QByteArray strings;
    int stringCount = 0;
    QHash<QString, int> indexes;
    auto shared = [&](const QString &text) {
        auto it = indexes.constFind(text);
        if (it != indexes.constEnd())
            return it.value();
        strings += "<si><t>" + text.toHtmlEscaped().toUtf8() + "</t></si>";
        indexes.insert(text, stringCount);
        return stringCount++;
    };
    auto columnName = [](int c) { return QByteArray(1, char('A' + c)); };
    QByteArray sheet = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet "
                       "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                       "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheetData>";
    const QStringList headers = { "Codice", "Descrizione", "Costo", "Prezzo", "Aspetto", "Categoria", "Caratteristiche",
        QStringLiteral("Quantit\u00e0"), "Fornitore", "Note", "Scadenza" };
    for (int r = 0; r <= rows; ++r) {
        const QByteArray n = QByteArray::number(r + 1);
        sheet += "<row r=\"" + n + "\" spans=\"1:11\">";
        for (int c = 0; c < headers.size(); ++c) {
            const QByteArray ref = columnName(c) + n;
            const int i = r - 1;
            if (r == 0) {
                sheet += "<c r=\"" + ref + "\" t=\"s\"><v>" + QByteArray::number(shared(headers[c])) + "</v></c>";
                continue;
            }
            switch (c) {
            case 2:
                sheet += "<c r=\"" + ref + "\"><v>" + QByteArray::number(i % 90 + 1.5) + "</v></c>";
                break;
            case 3:
                sheet += "<c r=\"" + ref + "\"><v>" + QByteArray::number(i % 200 + 2.9) + "</v></c>";
                break;
            case 7:
                sheet += "<c r=\"" + ref + "\"><v>" + QByteArray::number(i % 50) + "</v></c>";
                break;
            case 10:
                sheet += "<c r=\"" + ref + "\" s=\"1\"><v>" + QByteArray::number(45000 + i % 700) + "</v></c>";
                break;
            default: {
                static const char *const fixed[] = { nullptr, nullptr, nullptr, nullptr, "Scatola", "Casa",
                    "Smaltato; alto 32 cm", nullptr, "Vetreria S.n.c.", "Riordinare prima di Pasqua" };
                const QString text = c == 0 ? QStringLiteral("ART%1").arg(i)
                    : c == 1                ? QStringLiteral("Vaso in ceramica n. %1").arg(i)
                                            : QString::fromUtf8(fixed[c]);
                sheet += "<c r=\"" + ref + "\" t=\"s\"><v>" + QByteArray::number(shared(text)) + "</v></c>";
            }
            }
        }
        sheet += "</row>";
    }
    sheet += "</sheetData></worksheet>";
    const QByteArray sst = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<sst "
                           "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" count=\""
        + QByteArray::number(stringCount) + "\" uniqueCount=\"" + QByteArray::number(stringCount) + "\">" + strings
        + "</sst>";
    const QList<QPair<const char *, QByteArray>> members = {
        { "[Content_Types].xml", "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>" },
        { "_rels/.rels",
            "<Relationships><Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
            "relationships/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>" },
        { "xl/workbook.xml",
            "<workbook xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>"
            "<sheet name=\"Listino\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>" },
        { "xl/_rels/workbook.xml.rels",
            "<Relationships><Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
            "relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" "
            "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" "
            "Target=\"sharedStrings.xml\"/><Relationship Id=\"rId3\" "
            "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
            "Target=\"styles.xml\"/></Relationships>" },
        { "xl/styles.xml",
            "<styleSheet><cellXfs count=\"2\"><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/></cellXfs></styleSheet>" },
        { "xl/sharedStrings.xml", sst },
        { "xl/worksheets/sheet1.xml", sheet },
    };
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip)
        return false;
    for (const auto &[name, bytes] : members) {
        zip_source_t *src = zip_source_buffer(zip, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        if (!src || zip_file_add(zip, name, src, ZIP_FL_ENC_UTF_8) < 0) {
            zip_discard(zip);
            return false;
        }
    }
    return zip_close(zip) == 0; // the buffers are read here, while `members` still holds them
}

/** The export window's grid of the archive in the program folder, from its raw records. */
inline WarehouseSheet archiveSheet()
{
    WarehouseSheet sheet;
    sheet.reserve(WarehouseArchive::count());
    WarehouseArchive::forEachRaw([&](qint64, const char *record) {
        sheet.appendRecord(record);
        return true;
    });
    sheet.setRowCount(sheet.filledCount());
    return sheet;
}

/** Plain column headings for a workbook of the grid. */
inline QStringList columnHeaders()
{
    QStringList headers;
    for (int c = 1; c <= WarehouseSheet::ColumnCount; ++c)
        headers << QStringLiteral("Colonna %1").arg(c);
    return headers;
}

} // namespace BenchData
