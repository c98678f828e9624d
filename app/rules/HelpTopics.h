#pragma once

#include <QString>
#include <QStringList>

/** The windows whose help button opens the help window, each on its own topic. */
enum class HelpTopic {
    Avvio, ///< the start window
    Magazzino, ///< the warehouse editor
    ExpMagazzino, ///< the spreadsheet export
    CreaCatalogo, ///< creating a price list
    ApriCatalogo, ///< the list of price lists (the same topic as creating one)
    ListinoPrezzi, ///< the price-list page editor
    ImportaSchede, ///< the import of a product list from a file
};

struct HelpText
{
    QString title;
    QStringList paragraphs;

    /** The paragraphs separated by one empty line (CR LF twice), as the help window shows them. */
    QString text() const;
};

/** The title and text of a caller's help topic. */
HelpText helpTopic(HelpTopic topic);
