#pragma once

#include <QString>

/** How many labels each product gets. */
enum class LabelCopiesMode {
    One, ///< one label per product
    Fixed, ///< the same number for every product
    Stock ///< as many as the product's stock
};

/** The labels of one product, and whether its stock could not give a number of them. */
struct LabelCopies
{
    int count = 0;
    /** The stock is negative or not a whole number: no label, and the window says so. */
    bool stockRefused = false;
};

/** The largest number of labels one product gets (a fixed number or its stock). */
constexpr int MaxLabelCopies = 9999;

/** The labels of a product whose stock reads `stock` (as stored), under `mode` with `fixed` copies. */
LabelCopies labelCopies(LabelCopiesMode mode, int fixed, const QString &stock);
