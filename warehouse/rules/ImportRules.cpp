#include "warehouse/rules/ImportRules.h"

#include "storage/Codepage.h"
#include "storage/FieldRules.h"
#include "storage/TextField.h"

#include <QDate>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>

using F = TSchedaProdotto::Field;

namespace ImportRules {
namespace {
struct FieldWords
{
    F field;
    const char16_t *title;
    // Headers that mean this field, as headerKey() gives them; the first is the title's own key.
    std::initializer_list<const char *> words;
};

// In card order. The export writes the titles as its headers, so its files map themselves.
const FieldWords kFields[] = {
    { F::Codice, u"Codice articolo",
        { "codice articolo", "codice", "cod", "cod art", "codice prodotto", "articolo", "sku" } },
    { F::Costo, u"Costo unitario",
        { "costo unitario", "costo", "prezzo di acquisto", "prezzo acquisto", "costo acquisto" } },
    { F::Nome, u"Nome prodotto", { "nome prodotto", "nome", "descrizione", "prodotto", "denominazione" } },
    { F::Giacenza, u"Giacenza", { "giacenza", "quantita", "qta", "qt", "scorta", "pezzi", "esistenza" } },
    { F::Avviso, u"Avviso n.", { "avviso n", "avviso", "scorta minima", "sottoscorta", "soglia" } },
    { F::UM, u"Aspetto esteriore del bene",
        { "aspetto esteriore del bene", "aspetto esteriore", "aspetto", "um", "unita di misura" } },
    { F::Tipologia, u"Categoria merceologica",
        { "categoria merceologica", "categoria", "tipologia", "reparto", "famiglia" } },
    { F::Caratteristiche, u"Caratteristiche", { "caratteristiche", "dettagli", "descrizione estesa" } },
    { F::Collocazione, u"Collocazione in magazzino",
        { "collocazione in magazzino", "collocazione", "ubicazione", "scaffale" } },
    { F::Ditta, u"Ditta fornitrice", { "ditta fornitrice", "ditta", "fornitore" } },
    { F::Agente, u"Agente", { "agente" } },
    { F::Recapito, u"Recapito telefonico", { "recapito telefonico", "recapito", "telefono", "tel" } },
    { F::Documento, u"Documento di acquisto", { "documento di acquisto", "documento", "fattura", "ddt" } },
    { F::Pagamento, u"Modalit\u00e0 di pagamento",
        { "modalita di pagamento", "modalito di pagamento", "pagamento", "modalita pagamento" } },
    { F::DataSca, u"Data scadenza", { "data scadenza", "datasca", "scadenza", "data di scadenza" } },
    { F::Note, u"Note", { "note", "annotazioni" } },
    { F::Prezzo, u"Prezzo di vendita", { "prezzo di vendita", "prezzo", "prezzo vendita", "prezzo al pubblico" } },
    { F::Pagato, u"Pagato", { "pagato", "saldato" } },
    { F::File01, u"File allegato 1", { "file allegato 1", "file01", "allegato 1" } },
    { F::File02, u"File allegato 2", { "file allegato 2", "file02", "allegato 2" } },
    { F::File03, u"File allegato 3", { "file allegato 3", "file03", "allegato 3" } },
    { F::Desc01, u"Descrizione allegato 1", { "descrizione allegato 1", "desc01" } },
    { F::Desc02, u"Descrizione allegato 2", { "descrizione allegato 2", "desc02" } },
    { F::Desc03, u"Descrizione allegato 3", { "descrizione allegato 3", "desc03" } },
};

// The required fields in the order the card checks them, with the words of its warnings.
const struct
{
    F field;
    const char16_t *missing;
} kRequired[] = {
    { F::Codice, u"manca il codice articolo" },
    { F::Costo, u"manca il costo unitario" },
    { F::Nome, u"manca il nome del prodotto" },
    { F::UM, u"manca l'aspetto esteriore del bene" },
    { F::Tipologia, u"manca la categoria merceologica" },
    { F::Caratteristiche, u"mancano le caratteristiche del prodotto" },
    { F::Prezzo, u"manca il prezzo di vendita" },
};

// The program's own form first, as every other reader of a due date takes it; then the other ways a
// spreadsheet writes a day, day first too except the ISO form.
QDate readImportedDate(const QString &input)
{
    const QString text = input.trimmed();
    if (const QDate day = readDate(text); day.isValid())
        return day;
    for (const char *form : { "yyyy-MM-dd", "dd-MM-yyyy", "d-M-yyyy", "dd.MM.yyyy", "d.M.yyyy" }) {
        const QDate day = QDate::fromString(text, QLatin1String(form));
        if (day.isValid())
            return day;
    }
    // A year of two digits, as people type it ("03-01-25"): a due date is of this century or the last
    // years of the one before.
    static const QRegularExpression shortYear(QStringLiteral("^(\\d{1,2})[/.-](\\d{1,2})[/.-](\\d{2})$"));
    if (const auto m = shortYear.match(text); m.hasMatch()) {
        const int yy = m.captured(3).toInt();
        return QDate(yy < 80 ? 2000 + yy : 1900 + yy, m.captured(2).toInt(), m.captured(1).toInt());
    }
    // The month in words: "3 gennaio 2025", "3 gen 2025", "1\u00b0 marzo 2025", "03-gen-25".
    static const QRegularExpression inWords(
        QStringLiteral("^(\\d{1,2})\u00b0?[ ./-]*([a-z]+)\\.?[ ./-]*(\\d{4}|\\d{2})$"),
        QRegularExpression::CaseInsensitiveOption);
    if (const auto m = inWords.match(text); m.hasMatch()) {
        static const char *const months[] = { "gennaio", "febbraio", "marzo", "aprile", "maggio", "giugno", "luglio",
            "agosto", "settembre", "ottobre", "novembre", "dicembre" };
        const QString word = m.captured(2).toLower();
        int month = 0;
        for (int i = 0; i < 12 && month == 0; ++i) {
            const QLatin1String name(months[i]);
            if (word == name || (word.size() >= 3 && name.startsWith(word)))
                month = i + 1;
        }
        int year = m.captured(3).toInt();
        if (m.captured(3).size() == 2)
            year += year < 80 ? 2000 : 1900;
        if (month > 0)
            return QDate(year, month, m.captured(1).toInt());
    }
    return {};
}

bool meansYes(const QString &text)
{
    static const QStringList yes = { "si", "s", "yes", "y", "true", "vero", "1", "x", "pagato" };
    return yes.contains(headerKey(text));
}
} // namespace

QString quoted(const QString &text)
{
    return QStringLiteral("\u00ab") + firstChars(text, 40) + QStringLiteral("\u00bb");
}

QString missingText(F field)
{
    for (const auto &required : kRequired)
        if (required.field == field)
            return QString::fromUtf16(required.missing);
    return QString();
}

QString fieldTitle(F field)
{
    return QString::fromUtf16(kFields[field].title);
}

QString headerKey(const QString &header)
{
    const QString decomposed = header.normalized(QString::NormalizationForm_KD).toLower();
    QString out;
    for (const QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        out += c.isLetterOrNumber() ? c : QLatin1Char(' ');
    }
    return out.simplified();
}

Mapping guessMapping(const QStringList &headers)
{
    Mapping mapping;
    mapping.fill(NoColumn);
    QHash<QString, int> columns; // the first column with each key
    for (int c = 0; c < headers.size(); ++c) {
        const QString key = headerKey(headers.at(c));
        if (!key.isEmpty() && !columns.contains(key))
            columns.insert(key, c);
    }
    QList<int> taken;
    // Rank by word: every field's own title first, then the looser words, so "Descrizione" never
    // takes the name's column when a "Nome prodotto" is there.
    for (size_t rank = 0; rank < 8; ++rank) {
        for (const FieldWords &f : kFields) {
            if (mapping[f.field] != NoColumn || rank >= f.words.size())
                continue;
            const int column = columns.value(QLatin1String(f.words.begin()[rank]), NoColumn);
            if (column != NoColumn && !taken.contains(column)) {
                mapping[f.field] = column;
                taken.append(column);
            }
        }
    }
    return mapping;
}

int guessHeaderRow(const QList<QStringList> &rows)
{
    // One word is not enough: a title such as "Prezzi" above the table names a field too.
    for (int r = 0; r < std::min<int>(int(rows.size()), HeaderSearchRows); ++r) {
        const Mapping mapping = guessMapping(rows.at(r));
        if (std::count_if(mapping.begin(), mapping.end(), [](int c) { return c != NoColumn; }) >= 2)
            return r;
    }
    return 0;
}

std::optional<double> readNumber(const QString &input)
{
    QString text = trimText(input);
    // The currency, before or after the amount: "\u20ac 12,50", "12,50 \u20ac", "EUR 12,50".
    static const QRegularExpression currency(
        QStringLiteral("^(euro|eur)(?![a-z])|(?<![a-z])(euro|eur)$"), QRegularExpression::CaseInsensitiveOption);
    text.remove(currency);
    text.remove(QChar(0x20AC)).remove(QLatin1Char(' ')).remove(QChar(0xA0)).remove(QChar(0x202F));
    text.remove(QLatin1Char('\''));
    if (text.isEmpty())
        return std::nullopt;
    // One point before three digits, and no comma, groups the thousands as in Italy: "1.234" is a
    // thousand and more, "12.5" and "0.125" are decimals.
    static const QRegularExpression thousands(QStringLiteral("^[+-]?[1-9]\\d{0,2}\\.\\d{3}$"));
    if (thousands.match(text).hasMatch())
        text.remove(QLatin1Char('.'));
    const qsizetype comma = text.lastIndexOf(QLatin1Char(','));
    const qsizetype dot = text.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0 && comma >= 0) {
        // Both: the later one separates the decimals, the other the thousands.
        if (dot > comma)
            text.remove(QLatin1Char(',')).replace(QLatin1Char('.'), QLatin1Char(','));
        else
            text.remove(QLatin1Char('.'));
    } else if (dot >= 0) {
        if (text.count(QLatin1Char('.')) > 1)
            text.remove(QLatin1Char('.'));
        else
            text.replace(QLatin1Char('.'), QLatin1Char(','));
    }
    return parseDecimal(text);
}

std::optional<F> firstUnmappedRequired(const Mapping &mapping)
{
    for (const auto &required : kRequired)
        if (mapping[required.field] == NoColumn)
            return required.field;
    return std::nullopt;
}

Checked checkRow(const QStringList &cells, const Mapping &mapping, bool unmappedKept)
{
    Checked result;
    bool any = false;
    for (int i = 0; i < TSchedaProdotto::FieldCount; ++i) {
        if (mapping[i] != NoColumn) {
            result.card.values[i] = trimText(oneLine(cells.value(mapping[i])));
            any = any || !result.card.values[i].isEmpty();
        }
    }
    if (!any)
        return result;
    auto refuse = [&](const ImportError &reason) {
        result.verdict = Checked::Verdict::Refused;
        result.reason = reason;
        return result;
    };
    for (const auto &required : kRequired)
        if (result.card[required.field].isEmpty() && !(unmappedKept && mapping[required.field] == NoColumn))
            return refuse(ImportError::forCell(ImportError::Reason::MissingField, required.field));

    for (F money : { F::Costo, F::Prezzo }) {
        if (unmappedKept && mapping[money] == NoColumn)
            continue;
        const auto value = readNumber(result.card[money]);
        if (!value)
            return refuse(ImportError::forCell(ImportError::Reason::NotANumber, money, result.card[money]));
        const QString text = normaliseMoney(generalForm(*value));
        if (text.size() > TSchedaProdotto::info(money).width)
            return refuse(ImportError::forCell(ImportError::Reason::NumberTooLarge, money, result.card[money]));
        result.card[money] = text;
    }
    for (F quantity : { F::Giacenza, F::Avviso }) {
        if (result.card[quantity].isEmpty()) {
            result.card[quantity] = QStringLiteral("0");
            continue;
        }
        const auto value = readNumber(result.card[quantity]);
        if (!value)
            return refuse(ImportError::forCell(ImportError::Reason::NotANumber, quantity, result.card[quantity]));
        const QString text = normaliseQuantity(generalForm(*value));
        const int width = TSchedaProdotto::info(quantity).width;
        if (text.size() > width)
            return refuse(
                ImportError::forCell(ImportError::Reason::TooManyDigits, quantity, result.card[quantity], width));
        result.card[quantity] = text;
    }
    if (!result.card[F::DataSca].isEmpty()) {
        const QDate day = readImportedDate(result.card[F::DataSca]);
        if (!day.isValid())
            result.notes.append(
                QStringLiteral("data scadenza %1 non valida, lasciata vuota").arg(quoted(result.card[F::DataSca])));
        result.card[F::DataSca] = day.isValid() ? formatDate(day) : QString();
    }
    result.card[F::Pagato] = TSchedaProdotto::paidText(meansYes(result.card[F::Pagato]));

    for (int i = 0; i < TSchedaProdotto::FieldCount; ++i) {
        QString &text = result.card.values[i];
        const auto field = static_cast<F>(i);
        if (!fitsCp1252(text)) {
            for (const char32_t c : text.toUcs4())
                if (!fitsCp1252(QString::fromUcs4(&c, 1)))
                    ++result.replaced;
            text = fromCp1252(toCp1252(text));
        }
        const int width = TSchedaProdotto::info(field).width;
        if (text.size() > width) {
            result.notes.append(QStringLiteral("%1 tagliato a %2 caratteri").arg(fieldTitle(field)).arg(width));
            text = fitText(text, width);
        }
    }
    if (result.replaced > 0)
        result.notes.append(QStringLiteral("%1 caratteri non memorizzabili scritti come \"?\"").arg(result.replaced));
    result.verdict = Checked::Verdict::Accepted;
    return result;
}
} // namespace ImportRules
