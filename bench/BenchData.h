#pragma once

// What several benchmarks make the same way: a supplier's product list to import, and the export's grid.

#include "storage/SchedaProdotto.h"
#include "warehouse/rules/WarehouseSheet.h"

#include <QFile>
#include <QStringList>

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
