#pragma once

#include "report/engine/ReportTemplate.h"
#include "storage/FieldRules.h"

#include <QImage>
#include <QString>

/** The card as the warehouse editor shows it, texts as typed. */
struct ProductCardValues
{
    QString codice;
    QString costo;
    QString nome;
    QString giacenza;
    QString um;
    QString tipologia;
    QString caratteristiche;
    QString collocazione;
    QString ditta;
    QString agente;
    QString recapito;
    QString documento;
    QString pagamento;
    QString dataSca;
    QString note;
    QString prezzo;
    bool pagato = false;
    /** Printed only by the layout with photo. */
    QImage photo;
};

/** The A4 card with the photo above the eighteen rows. `folderIcon` is the small picture at the top left. */
ReportTemplate makeRepFoto(const QImage &folderIcon = QImage());
/** The A4 card without photo, with a framed space for notes below the rows. */
ReportTemplate makeRepScheda(const QImage &folderIcon = QImage());

/**
 * "Costo unitario (€ 12,50) x giacenza (3 pezzi) = € 37,5": stock times cost in the general number
 * form, or the ConversionError of the stock (checked first) or of the cost when it is not a number.
 */
Result<QString, ConversionError> stockValue(const QString &costo, const QString &giacenza);
/** stockValue() that throws its ConversionError. */
QString stockValueLine(const QString &costo, const QString &giacenza);

/**
 * Fills repFoto or repScheda (the photo goes where the template has a place for it). The stock value
 * is worked out before anything is filled, so a text that is not a number leaves the template as it was.
 */
void fillProductCard(ReportTemplate &report, const ProductCardValues &values);
