#include "widgets/OneLine.h"

#include <QLineEdit>
#include <QStyledItemDelegate>

namespace {
class OneLineCells : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *box = qobject_cast<QLineEdit *>(editor))
            keepOneLine(box);
        return editor;
    }
};
} // namespace

void keepOneLine(QLineEdit *box)
{
    // textEdited follows every change of the user's (typing, pasting, dropping) and no setText. The
    // clean text goes in as an edit of the user's too, so the box keeps treating it as typed (its
    // typing limit included).
    QObject::connect(box, &QLineEdit::textEdited, box, [box](const QString &text) {
        const QString clean = oneLine(text);
        if (clean == text)
            return;
        const int cursor = int(oneLine(text.left(box->cursorPosition())).size());
        box->selectAll();
        box->insert(clean);
        box->setCursorPosition(cursor);
    });
}

QStyledItemDelegate *oneLineCells(QObject *parent)
{
    return new OneLineCells(parent);
}
