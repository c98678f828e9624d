#include "warehouse/rules/ExportWriter.h"

#include "storage/Codepage.h"
#include "storage/FileReplace.h"
#include "storage/ProgramFolder.h"
#include "storage/TextField.h"
#include "warehouse/rules/WarehouseSheet.h"

#include <array>
#include <limits>

namespace {
// Everything before the header cells, as one piece of text.
constexpr char kHead[] = "<html xmlns:o=\"urn:schemas-microsoft-com:office:office\""
                         " xmlns:x=\"urn:schemas-microsoft-com:office:excel\""
                         " xmlns=\"http://www.w3.org/TR/REC-html40\">"
                         "<head>"
                         "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">"
                         "<!--[if gte mso 9]><xml>"
                         "<x:ExcelWorkbook>"
                         "<x:ExcelWorksheets>"
                         "<x:ExcelWorksheet>"
                         "<x:Name>Magazzino Prodotti</x:Name>"
                         "<x:WorksheetOptions>"
                         "<x:Selected/>"
                         "<x:Panes>"
                         "<x:Pane>"
                         "<x:Number>1</x:Number>"
                         "<x:ActiveRow>3</x:ActiveRow>"
                         "</x:Pane>"
                         "</x:Panes>"
                         "<x:ProtectContents>False</x:ProtectContents>"
                         "<x:ProtectObjects>False</x:ProtectObjects>"
                         "<x:ProtectScenarios>False</x:ProtectScenarios>"
                         "</x:WorksheetOptions>"
                         "</x:ExcelWorksheet>"
                         "</x:ExcelWorksheets>"
                         "</x:ExcelWorkbook>"
                         "</xml><![endif]-->"
                         "</head>"
                         "<body>"
                         "<table x:str>"
                         "<tr>";

constexpr char kTail[] = "</table></body></html>";

// The spreadsheet keeps a cell as typed text only with sdnum; x:str alone is not enough for every reader.
constexpr char kCellOpen[] = "<td style=\"text-align: left;\" sdnum=\"1040;0;@\">";
constexpr char kCellClose[] = "</td>";

struct HeaderCell
{
    int width;
    const char16_t *title;
};

constexpr std::array<HeaderCell, WarehouseSheet::ColumnCount> kHeader = { {
    { 250, u"Codice articolo" },
    { 200, u"Costo unitario" },
    { 250, u"Nome prodotto" },
    { 180, u"Giacenza" },
    { 250, u"Aspetto esteriore del bene" },
    { 250, u"Categoria merceologica" },
    { 350, u"Caratteristiche" },
    { 250, u"Collocazione in magazzino" },
    { 250, u"Ditta fornitrice" },
    { 250, u"Agente" },
    { 200, u"Recapito telefonico" },
    { 250, u"Documento di acquisto" },
    { 250, u"Modalit\u00e0 di pagamento" },
    { 200, u"Data scadenza" },
    { 350, u"Note" },
    { 200, u"Prezzo di vendita" },
    { 150, u"Pagato" },
} };

QByteArray headerRow()
{
    QByteArray out;
    for (const HeaderCell &cell : kHeader) {
        out += "<td style=\"text-align: left; font-weight: bold;\" width=";
        out += QByteArray::number(cell.width);
        out += '>';
        out += toCp1252(QString::fromUtf16(cell.title));
        out += kCellClose;
    }
    return out;
}

const char *entity(char c)
{
    switch (c) {
    case '&':
        return "&amp;";
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    case '"':
        return "&quot;";
    default:
        return nullptr;
    }
}

// Stored cells are Windows-1252 already: only the four markup characters change, and a control
// character (a line break stored by an older version) becomes a blank, as the file is one line.
void appendEscaped(QByteArray &out, QByteArrayView bytes)
{
    qsizetype run = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (static_cast<unsigned char>(bytes[i]) < 0x20) {
            out.append(bytes.data() + run, i - run);
            out += ' ';
            run = i + 1;
        } else if (const char *e = entity(bytes[i])) {
            out.append(bytes.data() + run, i - run);
            out += e;
            run = i + 1;
        }
    }
    out.append(bytes.data() + run, bytes.size() - run);
}

void appendEscaped(QByteArray &out, const QString &text)
{
    const QString trimmed = trimText(text);
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const QChar c = trimmed.at(i);
        switch (c.unicode()) {
        case '&':
            out += "&amp;";
            continue;
        case '<':
            out += "&lt;";
            continue;
        case '>':
            out += "&gt;";
            continue;
        case '"':
            out += "&quot;";
            continue;
        default:
            break;
        }
        if (c.unicode() < 0x20) {
            out += ' ';
            continue;
        }
        if (c.unicode() < 0x80) {
            out += static_cast<char>(c.unicode());
            continue;
        }
        const QString one(c);
        if (fitsCp1252(one)) {
            out += toCp1252(one);
            continue;
        }
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < trimmed.size() && trimmed.at(i + 1).isLowSurrogate())
            code = QChar::surrogateToUcs4(c, trimmed.at(++i));
        out += "&#";
        out += QByteArray::number(static_cast<uint>(code));
        out += ';';
    }
}
} // namespace

QString ExportWriter::exportPath()
{
    return programPath(QStringLiteral("Magazzino.xls"));
}

QByteArray ExportWriter::cellText(const QString &text)
{
    QByteArray out;
    appendEscaped(out, text);
    return out;
}

namespace {
/**
 * Builds the file for `sheet` in pieces: whenever the text reaches `piece` bytes it goes to `take`,
 * which returns false to stop (the result is then false). `reserve` is the room taken at the start.
 */
template <typename Take> bool produce(const WarehouseSheet &sheet, qsizetype reserve, qsizetype piece, Take take)
{
    static const QByteArray header = headerRow();
    QByteArray out;
    out.reserve(reserve);
    out += kHead;
    out += header;
    out += "</tr>";
    for (qsizetype row = 0; row < sheet.rowCount(); ++row) {
        out += "<tr>";
        for (int column = 0; column < WarehouseSheet::ColumnCount; ++column) {
            out += kCellOpen;
            if (const auto stored = sheet.storedBytes(row, column))
                appendEscaped(out, *stored);
            else
                appendEscaped(out, sheet.text(row, column));
            out += kCellClose;
        }
        out += "</tr>";
        if (out.size() >= piece) {
            if (!take(out))
                return false;
            out.resize(0); // keeps the room for the next piece
        }
    }
    out += kTail;
    return take(out);
}
} // namespace

QByteArray ExportWriter::build(const WarehouseSheet &sheet)
{
    // One reservation (the stored texts plus room for entities and edits) avoids regrowing a file of
    // a hundred megabytes, which would copy it over and over.
    const qsizetype cellFrame = sizeof(kCellOpen) - 1 + sizeof(kCellClose) - 1;
    const qsizetype size = sizeof(kHead) + (1 << 12) + sheet.rowCount() * (9 + WarehouseSheet::ColumnCount * cellFrame)
        + sheet.storedSize() + sheet.storedSize() / 8 + (1 << 16) + sizeof(kTail);
    QByteArray whole;
    produce(sheet, size, std::numeric_limits<qsizetype>::max(), [&](QByteArray &all) {
        whole = std::move(all);
        return true;
    });
    return whole;
}

WriteResult ExportWriter::write(const QString &path, const WarehouseSheet &sheet)
{
    // Written a block at a time as it is built: a file of a hundred megabytes never sits whole in memory.
    constexpr qsizetype Block = 1 << 20;
    FileReplace file(path);
    if (!file.open())
        return file.error();
    const bool written
        = produce(sheet, Block + (1 << 16), Block, [&](const QByteArray &piece) { return file.write(piece); });
    if (!written) {
        file.cancel();
        return file.error() == WriteError::None ? WriteError::WriteFailed : file.error();
    }
    if (!file.commit())
        return file.error();
    return WriteError::None;
}
