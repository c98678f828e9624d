#include "warehouse/rules/ImportSourceParts.h"
#include "warehouse/rules/SheetPart.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>

#include <algorithm>

// Telling what a file is and how to read it, from its first bytes.
namespace ImportSource {
namespace {
constexpr qint64 SampleBytes = 64 * 1024;

const QChar kSeparators[] = { QLatin1Char(';'), QLatin1Char('\t'), QLatin1Char(','), QLatin1Char('|') };

// Whether most of the sample's commas stand between two digits, as decimal commas do.
bool commasAreDecimal(const QString &sample)
{
    int commas = 0;
    int decimal = 0;
    for (qsizetype i = 0; i < sample.size(); ++i) {
        if (sample.at(i) != QLatin1Char(','))
            continue;
        ++commas;
        if (i > 0 && i + 1 < sample.size() && sample.at(i - 1).isDigit() && sample.at(i + 1).isDigit())
            ++decimal;
    }
    return commas > 0 && decimal * 2 >= commas;
}

/**
 * The separator that splits the sample's lines into the same number of cells most often. A file whose
 * commas are decimal commas and whose lines (nine in ten) hold another separator is read with that one, even
 * when its rows leave out different numbers of cells at their end.
 */
QChar guessSeparator(const QString &sample)
{
    QChar best = QLatin1Char(';');
    int bestScore = 0;
    int bestCells = 0;
    int allLines = 0;
    QHash<QChar, int> present; // separator -> lines holding it
    const bool decimalCommas = commasAreDecimal(sample);
    for (const QChar separator : kSeparators) {
        QHash<int, int> lines; // cells in a line -> lines with that many
        int count = 0;
        bool quoted = false;
        int lineCount = 0;
        int nonEmpty = 0;
        bool any = false;
        for (const QChar c : sample) {
            if (c == QLatin1Char('"'))
                quoted = !quoted;
            else if (!quoted && c == separator)
                ++count;
            else if (!quoted && c == QLatin1Char('\n')) {
                if (count > 0)
                    ++lines[count];
                nonEmpty += any ? 1 : 0;
                count = 0;
                any = false;
                if (++lineCount == 50)
                    break;
                continue;
            }
            if (!c.isSpace())
                any = true;
        }
        if (count > 0)
            ++lines[count];
        nonEmpty += any ? 1 : 0;
        allLines = std::max(allLines, nonEmpty);
        int holding = 0;
        for (auto it = lines.cbegin(); it != lines.cend(); ++it)
            holding += it.value();
        present.insert(separator, holding);
        if (separator == QLatin1Char(',') && decimalCommas && allLines > 0) {
            bool otherOnEveryLine = false;
            for (const QChar other : kSeparators)
                if (other != separator && present.value(other) * 10 >= allLines * 9)
                    otherOnEveryLine = true;
            if (otherOnEveryLine)
                continue;
        }
        for (auto it = lines.cbegin(); it != lines.cend(); ++it) {
            if (it.value() > bestScore || (it.value() == bestScore && it.key() > bestCells)) {
                best = separator;
                bestScore = it.value();
                bestCells = it.key();
            }
        }
    }
    return best;
}

// Files that are no spreadsheet the program reads, named for what they are so the user knows what to
// ask for; nothing for the files the readers take (or refuse themselves).
ImportError otherDocument(const QString &path, const QByteArray &head)
{
    using R = ImportError::Reason;
    // The first record of an Excel 2.x-4.0 sheet (BOF, 4 or 6 bytes long), saved before 1993.
    static const QByteArray oldSheets[]
        = { QByteArray("\x09\x00\x04\x00", 4), QByteArray("\x09\x02\x06\x00", 4), QByteArray("\x09\x04\x06\x00", 4) };
    for (const QByteArray &start : oldSheets)
        if (head.startsWith(start))
            return R::ExcelBefore97;
    if (head.startsWith("%PDF"))
        return R::PdfDocument;
    const QByteArray start = head.left(16 * 1024);
    if (start.contains("<office:document") && start.contains("urn:oasis:names:tc:opendocument:xmlns:office")
        && start.contains("office:mimetype=")
        && !start.contains(QByteArray("office:mimetype=\"") + OpenDocumentSpreadsheet))
        return R::FlatOtherOpenDocument;
    if (start.contains("urn:schemas-microsoft-com:office:spreadsheet") && start.contains("<Workbook"))
        return R::ExcelXml2003;
    if (!head.startsWith("PK\x03\x04"))
        return ImportError();
    const ZipContents zip = zipContents(path);
    if (!zip.opened || zip.isSpreadsheet())
        return ImportError();
    if (zip.mimeType.startsWith("application/vnd.oasis.opendocument.text"))
        return R::OpenDocumentText;
    if (zip.mimeType.startsWith("application/vnd.oasis.opendocument.presentation"))
        return R::OpenDocumentPresentation;
    if (zip.mimeType.startsWith("application/vnd.oasis.opendocument."))
        return R::OtherOpenDocument;
    if (zip.binaryWorkbook)
        return R::BinaryWorkbook;
    if (zip.word)
        return R::WordDocument;
    if (zip.slides)
        return R::PowerPointPresentation;
    if (zip.numbers)
        return R::NumbersSheet;
    if (zip.workbook || !zip.mimeType.isEmpty())
        return ImportError(); // a workbook, or what its reader says it is not
    return R::ZipWithoutSheet;
}
} // namespace

Format detect(const QString &path)
{
    Format format;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        format.error = ImportError::Reason::CannotOpen;
        return format;
    }
    QByteArray sample = file.read(SampleBytes);
    const bool whole = file.atEnd();
    file.close();
    // Spreadsheets are known by their content, whatever their names say.
    if (const ImportError other = otherDocument(path, sample); other.failed()) {
        format.error = other;
        return format;
    }
    for (const FormatEntry &entry : formats()) {
        if (entry.recognises && entry.recognises(path, sample)) {
            format.kind = entry.kind;
            entry.describe(path, format);
            return format;
        }
    }
    if (sample.startsWith("\xEF\xBB\xBF")) {
        format.byteOrderMark = true;
        format.encoding = Encoding::Utf8;
    } else {
        // A sample cut inside a character is still UTF-8: up to three trailing bytes may be a part.
        QByteArray checked = sample;
        if (!whole) {
            int back = 0;
            while (back < 3 && back < checked.size() && (uchar(checked.at(checked.size() - 1 - back)) & 0xC0) == 0x80)
                ++back;
            if (back < checked.size() && uchar(checked.at(checked.size() - 1 - back)) >= 0xC0)
                checked.chop(back + 1);
        }
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString decoded = utf8.decode(checked); // the decoding runs only when its text is taken
        format.encoding = utf8.hasError() ? Encoding::Windows1252 : Encoding::Utf8;
    }
    int controls = 0;
    for (const char c : sample)
        if (uchar(c) < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f')
            ++controls;
    if (controls > sample.size() / 100 || sample.contains('\0')) {
        format.error = ImportError::Reason::NotText;
        return format;
    }
    const QByteArray head = sample.left(2048).toLower();
    if (head.contains("<table") || head.contains("<html")) {
        format.kind = Kind::Page;
        // The program's own export declares Windows-1252; a page that declares UTF-8 is read so.
        format.encoding = head.contains("charset=utf-8") ? Encoding::Utf8 : Encoding::Windows1252;
        return format;
    }
    const QString text
        = format.encoding == Encoding::Utf8 ? QString::fromUtf8(sample) : QStringDecoder("windows-1252").decode(sample);
    format.separator = guessSeparator(text);
    return format;
}
} // namespace ImportSource
