#include "pricelist/rules/WholeList.h"

#include "app/rules/Picture.h"
#include "pricelist/rules/SlotPhotos.h"
#include "storage/PaginaListino.h"
#include "storage/TextField.h"
#include "storage/TextOrder.h"

#include <QBuffer>
#include <QImageWriter>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <memory>

namespace {
constexpr double kRowTop = 8;
constexpr double kRowPitch = 6;
constexpr int kRowsPerPage = 43;

bool isEmptySlot(const TVoceListino &slot)
{
    return std::all_of(slot.values.begin(), slot.values.end(), [](const QString &v) { return trimText(v).isEmpty(); });
}
} // namespace

QImage WholeList::printThumbnail(const QString &photoPath, const QImage &blank)
{
    const QImage photo = photoPath.isEmpty() ? QImage() : loadPicture(photoPath);
    // The editor's thumbnail goes through a JPEG file; the same encoding in memory prints the same pixels.
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    QImageWriter writer(&out, "jpeg");
    if (!writer.write(SlotPhotos::toFileSize(photo.isNull() ? blank : photo)))
        return blank;
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    const QImage thumbnail = loadPicture(&in);
    return thumbnail.isNull() ? blank : thumbnail;
}

PriceListPageValues WholeList::pageValues(
    const QString &title, qint64 number, const TPaginaListino &page, const QImage &blank)
{
    PriceListPageValues values;
    values.title = title;
    values.page = QString::number(number);
    // Reading, scaling and encoding the eight photos is most of a page's work: done side by side.
    QList<QString> photoPaths;
    for (int k = 0; k < TPaginaListino::SlotCount; ++k)
        photoPaths.append(SlotPhotos::photoPath(title, TPaginaListino::letter(k), values.page));
    const QList<QImage> photos = QtConcurrent::blockingMapped<QList<QImage>>(
        photoPaths, [&blank](const QString &path) { return printThumbnail(path, blank); });
    for (int k = 0; k < TPaginaListino::SlotCount; ++k) {
        const TVoceListino &v = page.voci[k];
        PriceListPageValues::Slot &slot = values.products[k];
        slot.photo = photos[k];
        slot.nome = v[TVoceListino::Nome];
        slot.um = v[TVoceListino::UM];
        slot.caratteristiche = v[TVoceListino::Caratteristiche];
        slot.codice = v[TVoceListino::Codice];
        slot.prezzo = v[TVoceListino::Prezzo];
    }
    return values;
}

QList<WholeList::IndexEntry> WholeList::productIndex(const QList<TPaginaListino> &pages)
{
    QList<IndexEntry> entries;
    for (int p = 0; p < pages.size(); ++p)
        for (const TVoceListino &v : pages[p].voci)
            if (!isEmptySlot(v))
                entries.append({ trimText(v[TVoceListino::Nome]), trimText(v[TVoceListino::Codice]),
                    trimText(v[TVoceListino::Prezzo]), p + 1 });
    // Stable, so equal names keep the order of the list.
    std::stable_sort(entries.begin(), entries.end(),
        [](const IndexEntry &a, const IndexEntry &b) { return listTextLess(a.nome, b.nome); });
    return entries;
}

QList<PreparedPage> WholeList::indexPages(
    const QString &title, const QList<IndexEntry> &entries, qint64 firstPageNumber)
{
    const Qt::Alignment leftMiddle = Qt::AlignLeft | Qt::AlignVCenter;
    const Qt::Alignment rightMiddle = Qt::AlignRight | Qt::AlignVCenter;
    const TextStyle small = TextStyle::arial(10.67, false, Qt::black, QColor(), Qt::AlignLeft | Qt::AlignTop);
    const TextStyle heading = TextStyle::arial(13.33, true, Qt::black, QColor(), leftMiddle);
    const TextStyle headingRight = TextStyle::arial(13.33, true, Qt::black, QColor(), rightMiddle);
    const TextStyle name = TextStyle::arial(13.33, true, QColor(0xA5, 0x2A, 0x2A), QColor(), leftMiddle);
    const TextStyle code = TextStyle::arial(13.33, false, QColor(0x00, 0x00, 0x80), QColor(), leftMiddle);
    const TextStyle right = TextStyle::arial(13.33, false, Qt::black, QColor(), rightMiddle);
    TextStyle footer = small;
    footer.alignment = Qt::AlignHCenter | Qt::AlignVCenter;

    QList<PreparedPage> pages;
    const qsizetype count = std::max<qsizetype>(1, (entries.size() + kRowsPerPage - 1) / kRowsPerPage);
    for (qsizetype p = 0; p < count; ++p) {
        ReportTemplate report(QStringLiteral("repIndice"), QStringLiteral("Indice"));
        report.setOrientation(QPageLayout::Portrait);
        // The same heading and foot as the list's own pages.
        report.addText(QStringLiteral("txtNome"), mmRect(1, 0.6, 188, 4), small, trimText(title));
        report.addText(QStringLiteral("lblNome"), mmRect(1, kRowTop, 88, 5), heading, QStringLiteral("Prodotto"));
        report.addText(QStringLiteral("lblCodice"), mmRect(90, kRowTop, 50, 5), heading, QStringLiteral("Codice"));
        report.addText(
            QStringLiteral("lblPrezzo"), mmRect(141, kRowTop, 30, 5), headingRight, QStringLiteral("Prezzo"));
        report.addText(QStringLiteral("lblPagina"), mmRect(172, kRowTop, 17, 5), headingRight, QStringLiteral("Pag."));
        const QRectF rule = mmRect(1, kRowTop + 5.5, 188, 0);
        report.addLine(QStringLiteral("linTesta"), rule.left(), rule.top(), rule.width());
        for (int r = 0; r < kRowsPerPage; ++r) {
            const qsizetype i = p * kRowsPerPage + r;
            if (i >= entries.size())
                break;
            const IndexEntry &e = entries[i];
            const double t = kRowTop + kRowPitch * (r + 1);
            const QString row = QString::number(r);
            report.addText(QStringLiteral("txtProdotto_") + row, mmRect(1, t, 88, 5), name, e.nome);
            report.addText(QStringLiteral("txtCodice_") + row, mmRect(90, t, 50, 5), code, e.codice);
            report.addText(QStringLiteral("txtPrezzo_") + row, mmRect(141, t, 30, 5), right,
                e.prezzo.isEmpty() ? QString() : QStringLiteral("€  ") + e.prezzo);
            report.addText(
                QStringLiteral("txtPaginaProdotto_") + row, mmRect(172, t, 17, 5), right, QString::number(e.page));
        }
        report.addText(
            QStringLiteral("txtPagina"), mmRect(0, 273, 190, 4), footer, QString::number(firstPageNumber + p));
        pages.append(report.prepare().pages);
    }
    return pages;
}

std::optional<PreparedReport> WholeList::report(
    const QString &listPath, const QString &title, bool withIndex, const QImage &blank, const Progress &progress)
{
    // A stray tail after the last whole record is not a page: the count leaves it out.
    const qint64 count = PriceListFile::pageCount(listPath);
    auto saved = std::make_shared<QList<TPaginaListino>>();
    for (qint64 n = 1; n <= count; ++n) {
        if (progress && !progress(n - 1, count))
            return std::nullopt;
        saved->append(PriceListFile::read(listPath, n));
    }

    PreparedReport whole;
    whole.name = trimText(title);
    // The texts are all read now, so what is printed is the list as it was; the photos are read
    // page by page as each is drawn, so a long list never holds every page's pictures at once.
    whole.made.count = count;
    ReportTemplate paper = makeRepDocumento();
    paper.setOrientation(QPageLayout::Portrait);
    whole.made.paperMm = paper.pageSize();
    whole.made.make = [saved, title, blank](qsizetype i) {
        ReportTemplate page = makeRepDocumento();
        fillPriceListPage(page, pageValues(title, i + 1, saved->at(i), blank));
        return page.prepare().pages.constFirst();
    };
    if (withIndex)
        whole.pages = indexPages(title, productIndex(*saved), count + 1);
    return whole;
}
