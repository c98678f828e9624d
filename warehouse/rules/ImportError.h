#pragma once

#include <QString>

/**
 * Why importing a product list stopped: the file could not be read (detected, opened, read to its
 * end), or the cards could not be written. Carried as a value from the readers to the window; the
 * Italian text is made from it in text() only.
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
        Cancelled, ///< the user stopped the import
        ArchiveBusy, ///< another copy of the program held the archive
        ArchiveWriteFailed ///< writing the cards failed; the archive is as it was
    };

    ImportError() = default;
    ImportError(Reason reason, qint64 bound = 0, const QString &detail = QString())
        : m_reason(reason)
        , m_bound(bound)
        , m_detail(detail)
    { }

    Reason reason() const { return m_reason; }
    /** The bound passed, for the reasons that name one. */
    qint64 bound() const { return m_bound; }
    /** What the XML reader said, for SheetDamaged. */
    QString detail() const { return m_detail; }
    /** Whether there is anything to report. */
    bool failed() const { return m_reason != Reason::None; }
    /** The message shown to the user, in Italian; empty for None. */
    QString text() const;

private:
    Reason m_reason = Reason::None;
    qint64 m_bound = 0;
    QString m_detail;
};
