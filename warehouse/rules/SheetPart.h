#pragma once

#include "warehouse/rules/ImportSource.h"

#include <QIODevice>
#include <QString>

#include <memory>

typedef struct zip zip_t;
typedef struct zip_file zip_file_t;
class QDate;

/**
 * What the spreadsheet readers share: a part of a workbook read as a device within the bounds, and
 * the card's text forms of a cell's number, date, time and truth value.
 */
namespace ImportSource {
/**
 * One XML part of a spreadsheet as a device, read as it is inflated, within the bounds of a part and of
 * the whole file (counted in `inflated`), with overlong texts cut before the XML reader holds them:
 * a member of a ZIP file, or a flat file read the same way.
 */
class SheetPart : public QIODevice
{
public:
    /** The member `name` of an open ZIP file. */
    SheetPart(zip_t *zip, const QString &name, qint64 *inflated, qint64 partBytes);
    /** A whole flat file (its size is known, nothing is inflated). */
    SheetPart(const QString &path, qint64 *inflated, qint64 partBytes);
    ~SheetPart() override;
    SheetPart(const SheetPart &) = delete;
    SheetPart &operator=(const SheetPart &) = delete;

    bool isSequential() const override { return true; }
    qint64 done() const { return m_done; }
    qint64 total() const { return m_size; }
    /** Why the part was refused, in Italian; empty when it was not. */
    QString refusal() const { return m_refusal; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    bool checkBounds(qint64 part, qint64 whole);
    bool keep(char c);
    qint64 readRaw(char *data, qint64 maxSize);

    zip_file_t *m_file = nullptr;
    std::unique_ptr<QIODevice> m_plain;
    qint64 *m_inflated;
    qint64 m_partBytes;
    qint64 m_size = 0;
    qint64 m_done = 0;
    QByteArray m_raw;
    qsizetype m_at = 0;
    QString m_refusal;
    bool m_inTag = false;
    bool m_plainTag = false;
    char m_quote = 0;
    qint64 m_tagBytes = 0;
    qint64 m_textBytes = 0;
    bool m_entity = false;
    bool m_cut = false;
};

/** A count in the Italian form, 1.048.576. */
QString countText(qint64 n);
/** A size in the Italian form: 256 MB, 64 KB, 1.000 byte. */
QString sizeText(qint64 bytes);

/** A number as the card shows it: the shortest general form with a decimal comma. */
QString cellNumber(double value);
/**
 * A day as a workbook cell gives it: dd/mm/yyyy from 1 January 1900 to 9999, otherwise the day's number
 * in the workbook calendar, as a number cell with no date style reads.
 */
QString cellDate(const QDate &day);
/** A time of day, or a duration, as the fraction of a day the workbook stores. */
QString cellTime(double seconds);
/** A truth value: Sì or No. */
QString cellTruth(bool value);

/** The refusal of a sheet with no row to import, naming it. */
QString emptySheet(const QString &name);
} // namespace ImportSource
