#pragma once

#include <QString>

/**
 * What went wrong in importing a product list: the file could not be read (detected, opened, read to
 * its end), a row was refused, or the cards could not be written. Carried as a value from the readers
 * and the rules to the window; the Italian text is made from it in text() only.
 */
class ImportError
{
public:
    enum class Reason {
        None,
        CannotOpen, ///< the file cannot be opened
        ReadFailed, ///< reading the file failed half-way
        NotText, ///< binary contents, not a list of products
        NotWorkbook, ///< starts like a workbook, but is not a readable one
        WorkbooksNotRead, ///< this build reads no workbooks
        TooManyRows, ///< more rows than bound()
        PartTooLarge, ///< a workbook part inflates past bound() bytes
        WorkbookTooLarge, ///< the workbook inflates past bound() bytes in all
        MarkupTooLong, ///< one tag longer than bound() bytes
        TooManySharedStrings, ///< more shared texts than bound()
        SharedTextTooLong, ///< shared texts longer than bound() characters in all
        SheetDamaged, ///< the sheet's XML is broken; detail() says where
        DocumentTypeInSheet, ///< a part of the workbook declares a document type (a DTD), which no workbook has
        SpreadsheetDamaged, ///< an OpenDocument spreadsheet whose content breaks off or cannot be read
        OldWorkbookDamaged, ///< an Excel 97-2003 workbook the library cannot read
        OldWorkbookTooLarge, ///< an Excel 97-2003 workbook larger than bound() bytes
        PasswordProtected, ///< a workbook that needs a password to be opened
        NoSheets, ///< an OpenDocument spreadsheet with no sheet
        OldWorkbookNoSheets, ///< an Excel 97-2003 workbook with no sheet
        SheetGone, ///< the sheet chosen is no longer in the file
        EmptySheet, ///< the sheet named in detail() has no row to import
        // Files that are not spreadsheets, or spreadsheets in a format not read, named for what they are.
        OpenDocumentText, ///< .odt
        OpenDocumentPresentation, ///< .odp
        OtherOpenDocument, ///< another zipped OpenDocument file
        FlatOtherOpenDocument, ///< a flat OpenDocument file that is not a spreadsheet
        WordDocument, ///< .docx
        OldWordDocument, ///< .doc
        PowerPointPresentation, ///< .pptx
        OldPowerPointPresentation, ///< .ppt
        BinaryWorkbook, ///< .xlsb
        NumbersSheet, ///< a Numbers file
        ExcelXml2003, ///< an Excel 2003 XML spreadsheet
        ExcelBefore97, ///< an Excel 2.x-4.0 sheet
        PdfDocument, ///< a PDF
        ZipWithoutSheet, ///< a ZIP archive holding no spreadsheet
        Cancelled, ///< the user stopped the import
        ArchiveBusy, ///< another copy of the program held the archive
        ArchiveWriteFailed, ///< writing the cards failed; the archive is as it was
        // A row refused, for its field(): the cell's value() and, where one is passed, the bound().
        MissingField, ///< a required field is empty
        NotANumber, ///< a money or quantity cell that reads as no number
        NumberTooLarge, ///< a money cell too wide for its field
        TooManyDigits, ///< a quantity with more than bound() digits
        // A row that could not be read at all (Reader::rowError), its row given by inRow().
        UnclosedQuote, ///< a quoted text opened in the row and never closed
        MissingSharedText ///< a cell (detail(): its reference and value) points at no shared text
    };

    ImportError() = default;
    ImportError(Reason reason, qint64 bound = 0, const QString &detail = QString())
        : m_reason(reason)
        , m_bound(bound)
        , m_detail(detail)
    { }

    /** A row refused for a cell of `field` (a TSchedaProdotto::Field) holding `value`. */
    static ImportError forCell(Reason reason, int field, const QString &value = QString(), qint64 bound = 0);
    /** The same, in row `row` as the report numbers them. */
    ImportError inRow(qint64 row) const;

    Reason reason() const { return m_reason; }
    /** The row of the file, from 1; 0 when the error is not a row's. */
    qint64 row() const { return m_row; }
    /** The card field of a refused row; -1 for the others. */
    int field() const { return m_field; }
    /** The bound passed, for the reasons that name one. */
    qint64 bound() const { return m_bound; }
    /** What the XML reader said, for SheetDamaged; the cell's value, for a refused row. */
    QString detail() const { return m_detail; }
    /** Whether there is anything to report. */
    bool failed() const { return m_reason != Reason::None; }
    /** The message shown to the user, in Italian, a row's with "Riga n: " before it; empty for None. */
    QString text() const;
    /** A line of the report about row `row`. */
    static QString rowLine(qint64 row, const QString &text);

private:
    Reason m_reason = Reason::None;
    qint64 m_bound = 0;
    qint64 m_row = 0;
    int m_field = -1;
    QString m_detail;
};
