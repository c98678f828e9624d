#pragma once

#include <QString>

#include <array>
#include <functional>

/** One slot of a price-list page: five length-prefixed fields, 462 bytes. */
struct TVoceListino
{
    static constexpr int Size = 462;
    enum Field { Codice, Nome, UM, Caratteristiche, Prezzo };
    static constexpr int FieldCount = 5;

    struct FieldInfo
    {
        const char *name; ///< also the editor box stem: txtCodice_A ...
        int offset;
        int width;
    };
    static const std::array<FieldInfo, FieldCount> &layout();

    std::array<QString, FieldCount> values;
    QString &operator[](Field f) { return values[f]; }
    const QString &operator[](Field f) const { return values[f]; }
};

/** One A4 page of a price list: eight slots A to H, 3696 bytes. */
struct TPaginaListino
{
    static constexpr int RecordSize = 3696;
    static constexpr int SlotCount = 8;

    std::array<TVoceListino, SlotCount> voci;

    /** Slot letter 'A'..'H' of slot index 0..7. */
    static QChar letter(int slot) { return QChar('A' + slot); }

    /** Writes every field into `record`; bytes after each text are left as they were. */
    void store(char *record) const;
    static TPaginaListino load(const char *record);
};

/**
 * Price-list file operations on whole pages (pages counted from 1); each opens the file (creating
 * it when missing), works and closes it, throwing ArchiveError on any failure.
 */
namespace PriceListFile {
qint64 pageCount(const QString &path);
TPaginaListino read(const QString &path, qint64 page);
/**
 * Writes page `page`: up to the count it overwrites, count + 1 appends. Returns the page number;
 * `written`, when given, gets it as soon as the page is in the file, even when closing then fails.
 */
qint64 write(const QString &path, qint64 page, const TPaginaListino &content, qint64 *written = nullptr);
/** Appends a page and returns its number; `written` as for write(). */
qint64 append(const QString &path, const TPaginaListino &content, qint64 *written = nullptr);

/** What readChosen() found: the page count, the page chosen (0 for none) and its content. */
struct Chosen
{
    qint64 count = 0;
    qint64 number = 0;
    TPaginaListino page;
};
/**
 * Counts the pages and, when there are any, reads the one `choose(count)` names (0 reads none),
 * all under one opening of the file.
 */
Chosen readChosen(const QString &path, const std::function<qint64(qint64)> &choose);
} // namespace PriceListFile
