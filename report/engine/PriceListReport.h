#pragma once

#include "report/engine/ReportTemplate.h"

#include <QImage>
#include <QString>

#include <array>

/** The texts and photos of one price-list page as the page editor shows them. */
struct PriceListPageValues
{
    struct Slot
    {
        QImage photo;
        QString nome;
        QString um;
        QString caratteristiche;
        QString codice;
        QString prezzo;
    };

    /** The list's title. */
    QString title;
    /** The page's position in the list, empty for a page never saved. */
    QString page;
    std::array<Slot, 8> products;
};

/** The A4 price-list page template repDocumento: title, eight framed slots, page number. */
ReportTemplate makeRepDocumento();

/** The slot letters A to H. */
QChar slotLetter(int slot);

/** Fills repDocumento from the page editor's values: trimmed texts, "€  " before the price. */
void fillPriceListPage(ReportTemplate &report, const PriceListPageValues &values);
