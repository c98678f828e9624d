#include "warehouse/rules/ImportError.h"

#include "storage/ArchiveError.h"

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
} // namespace

QString ImportError::text() const
{
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
    case Reason::Cancelled:
        return QStringLiteral("Importazione interrotta.");
    case Reason::ArchiveBusy:
        return archiveBusyText();
    case Reason::ArchiveWriteFailed:
        return QStringLiteral("Impossibile scrivere nell'archivio: nessuna scheda \u00e8 stata importata "
                              "e l'archivio \u00e8 rimasto com'era.");
    }
    return QString();
}
