#pragma once

#include <QWidget>

/**
 * The yellow focus highlight behind a text box: a rectangle 8 wider and 8 higher than the box,
 * its border fading from yellow to white, visible only while the box has the cursor.
 */
class HighlightRect : public QWidget
{
    Q_OBJECT
public:
    /** Makes the highlight of `box` (named `name`, e.g. "effCodice"), placed behind it and hidden. */
    HighlightRect(QWidget *box, const QString &name);

protected:
    void paintEvent(QPaintEvent *event) override;
};
