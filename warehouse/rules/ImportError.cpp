#include "warehouse/rules/ImportError.h"

#include "storage/ArchiveError.h"
#include "warehouse/rules/ImportRules.h"

#include <QLocale>

namespace {
QString number(qint64 n)
{
    return QLocale(QLocale::Italian).toString(n);
}

QString sizeText(qint64 bytes)
{
    if (bytes % (qint64(1) << 20) == 0)
        return number(bytes >> 20) + QStringLiteral(" MB");
    if (bytes % 1024 == 0)
        return number(bytes >> 10) + QStringLiteral(" KB");
    return number(bytes) + QStringLiteral(" byte");
}
QString notASpreadsheet(const QString &what)
{
    return QStringLiteral("Il file \u00e8 %1, non un foglio di calcolo: non contiene un elenco di prodotti da "
                          "importare.")
        .arg(what);
}

QString notRead(const QString &what, const QString &from)
{
    return QStringLiteral("Il file \u00e8 %1, un formato che il programma non legge. Salvare il file come .xlsx o "
                          ".ods da %2 e importare il file salvato.")
        .arg(what, from);
}

// How a refusal names a money or quantity field.
QString fieldWord(int field)
{
    if (field == TSchedaProdotto::Giacenza)
        return QStringLiteral("giacenza");
    if (field == TSchedaProdotto::Avviso)
        return QStringLiteral("avviso");
    return ImportRules::fieldTitle(static_cast<TSchedaProdotto::Field>(field)).toLower();
}
} // namespace

ImportError ImportError::forCell(Reason reason, int field, const QString &value, qint64 bound)
{
    ImportError e(reason, bound, value);
    e.m_field = field;
    return e;
}

ImportError ImportError::inRow(qint64 row) const
{
    ImportError e = *this;
    e.m_row = row;
    return e;
}

QString ImportError::rowLine(qint64 row, const QString &text)
{
    return QStringLiteral("Riga %1: ").arg(row) + text;
}

QString ImportError::text() const
{
    const auto inRow = [this](const QString &text) { return m_row > 0 ? rowLine(m_row, text) : text; };
    switch (m_reason) {
    case Reason::None:
        return QString();
    case Reason::CannotOpen:
        return QStringLiteral("Impossibile aprire il file.");
    case Reason::ReadFailed:
        return QStringLiteral("Errore di lettura del file.");
    case Reason::NotText:
        return QStringLiteral("Il file non contiene testo leggibile: non \u00e8 un elenco di prodotti.");
    case Reason::NotWorkbook:
        return QStringLiteral("Il file non \u00e8 una cartella di lavoro .xlsx leggibile.");
    case Reason::WorkbooksNotRead:
        return QStringLiteral("Questa versione del programma non legge le cartelle di lavoro .xlsx.");
    case Reason::TooManyRows:
        return QStringLiteral("Il file contiene pi\u00f9 di %1 righe, il massimo che si pu\u00f2 importare.")
            .arg(number(m_bound));
    case Reason::PartTooLarge:
        return QStringLiteral("La cartella di lavoro \u00e8 troppo grande: una sua parte, decompressa, "
                              "supera %1, il massimo ammesso.")
            .arg(sizeText(m_bound));
    case Reason::WorkbookTooLarge:
        return QStringLiteral("La cartella di lavoro \u00e8 troppo grande: decompressa supera %1, il "
                              "massimo ammesso.")
            .arg(sizeText(m_bound));
    case Reason::MarkupTooLong:
        return QStringLiteral("La cartella di lavoro contiene un elemento lungo pi\u00f9 di %1: non \u00e8 "
                              "un file leggibile.")
            .arg(sizeText(m_bound));
    case Reason::TooManySharedStrings:
        return QStringLiteral("La cartella di lavoro contiene pi\u00f9 di %1 testi condivisi, "
                              "il massimo ammesso.")
            .arg(number(m_bound));
    case Reason::SharedTextTooLong:
        return QStringLiteral("I testi condivisi della cartella di lavoro superano in tutto %1 "
                              "caratteri, il massimo ammesso.")
            .arg(number(m_bound));
    case Reason::SheetDamaged:
        return QStringLiteral("Il foglio di lavoro \u00e8 danneggiato: %1.").arg(m_detail);
    case Reason::DocumentTypeInSheet:
        return QStringLiteral("La cartella di lavoro \u00e8 danneggiata o contraffatta: una sua parte contiene una "
                              "dichiarazione di tipo di documento (DTD), che nessun foglio di calcolo scrive. Il file "
                              "non viene letto: salvarlo di nuovo da Excel o da LibreOffice Calc.");
    case Reason::SpreadsheetDamaged:
        return QStringLiteral("Il foglio di calcolo \u00e8 danneggiato: il suo contenuto si interrompe o non \u00e8 "
                              "leggibile. Aprirlo con il programma di calcolo e salvarlo di nuovo, oppure usare una "
                              "copia integra.");
    case Reason::OldWorkbookDamaged:
        return QStringLiteral("Il file .xls \u00e8 danneggiato e non si pu\u00f2 leggere. Aprirlo con il programma "
                              "di calcolo e salvarlo di nuovo, come .xlsx o .ods.");
    case Reason::OldWorkbookTooLarge:
        return QStringLiteral("La cartella di lavoro \u00e8 troppo grande: supera %1, il massimo ammesso.")
            .arg(sizeText(m_bound));
    case Reason::PasswordProtected:
        return QStringLiteral("Il file \u00e8 protetto da password e non si pu\u00f2 leggere. Aprirlo con il "
                              "programma di calcolo, togliere la password e salvarlo di nuovo, poi importare il file "
                              "salvato.");
    case Reason::NoSheets:
        return QStringLiteral("Il foglio di calcolo non contiene alcun foglio da importare.");
    case Reason::OldWorkbookNoSheets:
        return QStringLiteral("La cartella di lavoro non contiene alcun foglio da importare.");
    case Reason::SheetGone:
        return QStringLiteral("Il foglio scelto non \u00e8 pi\u00f9 nel file.");
    case Reason::EmptySheet:
        return QStringLiteral("Il foglio \u00ab%1\u00bb \u00e8 vuoto: non contiene righe da importare. Scegliere un "
                              "altro foglio o un altro file.")
            .arg(m_detail);
    case Reason::OpenDocumentText:
        return notASpreadsheet(QStringLiteral("un documento di testo (.odt)"));
    case Reason::OpenDocumentPresentation:
        return notASpreadsheet(QStringLiteral("una presentazione (.odp)"));
    case Reason::OtherOpenDocument:
        return notASpreadsheet(QStringLiteral("un documento OpenDocument"));
    case Reason::FlatOtherOpenDocument:
        return notASpreadsheet(QStringLiteral("un documento OpenDocument che non \u00e8 un foglio di calcolo"));
    case Reason::WordDocument:
        return notASpreadsheet(QStringLiteral("un documento di Word (.docx)"));
    case Reason::OldWordDocument:
        return notASpreadsheet(QStringLiteral("un documento di Word (.doc)"));
    case Reason::PowerPointPresentation:
        return notASpreadsheet(QStringLiteral("una presentazione di PowerPoint (.pptx)"));
    case Reason::OldPowerPointPresentation:
        return notASpreadsheet(QStringLiteral("una presentazione di PowerPoint (.ppt)"));
    case Reason::BinaryWorkbook:
        return notRead(QStringLiteral("una cartella di lavoro binaria di Excel (.xlsb)"),
            QStringLiteral("Excel (Salva con nome)"));
    case Reason::NumbersSheet:
        return notRead(QStringLiteral("un foglio di Numbers"), QStringLiteral("Numbers (Esporta in)"));
    case Reason::ExcelXml2003:
        return notRead(QStringLiteral("un foglio XML di Excel 2003"), QStringLiteral("Excel o da LibreOffice Calc"));
    case Reason::ExcelBefore97:
        return QStringLiteral("Il file \u00e8 un foglio di una versione di Excel anteriore al 1997 (Excel "
                              "2.x\u20134.0), un formato che il programma non legge. Salvare il file come .xlsx o .ods "
                              "da Excel o da LibreOffice Calc e importare il file salvato.");
    case Reason::PdfDocument:
        return QStringLiteral("Il file \u00e8 un documento PDF, non un foglio di calcolo: non se ne possono importare "
                              "i prodotti. Chiedere al fornitore l'elenco come .xlsx, .ods o .csv.");
    case Reason::ZipWithoutSheet:
        return QStringLiteral("Il file \u00e8 un archivio ZIP che non contiene un foglio di calcolo: estrarre "
                              "dall'archivio il file da importare e scegliere quello.");
    case Reason::Cancelled:
        return QStringLiteral("Importazione interrotta.");
    case Reason::ArchiveBusy:
        return archiveBusyText();
    case Reason::ArchiveWriteFailed:
        return QStringLiteral("Impossibile scrivere nell'archivio: nessuna scheda \u00e8 stata importata "
                              "e l'archivio \u00e8 rimasto com'era.");
    case Reason::MissingField:
        return inRow(ImportRules::missingText(static_cast<TSchedaProdotto::Field>(m_field)));
    case Reason::NotANumber:
        return inRow(QStringLiteral("%1 non numerico: %2").arg(fieldWord(m_field), ImportRules::quoted(m_detail)));
    case Reason::NumberTooLarge:
        return inRow(QStringLiteral("%1 troppo grande: %2").arg(fieldWord(m_field), ImportRules::quoted(m_detail)));
    case Reason::UnclosedQuote:
        return inRow(QStringLiteral("virgolette aperte e mai chiuse, riga non letta (le righe seguenti sono "
                                    "state lette)"));
    case Reason::MissingSharedText:
        return inRow(QStringLiteral("la cella %1 rimanda a un testo che la cartella di lavoro non contiene, riga "
                                    "non letta")
                         .arg(m_detail));
    case Reason::TooManyDigits:
        return inRow(QStringLiteral("%1 oltre %2 cifre: %3")
                         .arg(fieldWord(m_field))
                         .arg(m_bound)
                         .arg(ImportRules::quoted(m_detail)));
    }
    return QString();
}
