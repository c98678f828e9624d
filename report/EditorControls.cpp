#include "report/EditorControls.h"

#include "widgets/DialogWindow.h"
#include "widgets/PhotoBox.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {
QWidget *control(const QWidget *form, const QString &name)
{
    if (!form)
        return nullptr;
    // Only the form's own controls: a dialog open over it (this print window too) may reuse its names.
    QWidget *w = ownControl<QWidget>(const_cast<QWidget *>(form), name);
    if (!w)
        qWarning("No control %s in %s", qPrintable(name), qPrintable(form->objectName()));
    return w;
}
} // namespace

QString EditorControls::text(const QWidget *form, const QString &name)
{
    QWidget *w = control(form, name);
    if (auto *edit = qobject_cast<QLineEdit *>(w))
        return edit->text();
    if (auto *label = qobject_cast<QLabel *>(w))
        return label->text();
    if (auto *plain = qobject_cast<QPlainTextEdit *>(w))
        return plain->toPlainText();
    if (auto *rich = qobject_cast<QTextEdit *>(w))
        return rich->toPlainText();
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        return button->text();
    return QString();
}

void EditorControls::setText(QWidget *form, const QString &name, const QString &text)
{
    QWidget *w = control(form, name);
    if (auto *edit = qobject_cast<QLineEdit *>(w))
        edit->setText(text);
    else if (auto *label = qobject_cast<QLabel *>(w))
        label->setText(text);
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(w))
        plain->setPlainText(text);
    else if (auto *rich = qobject_cast<QTextEdit *>(w))
        rich->setPlainText(text);
}

bool EditorControls::isChecked(const QWidget *form, const QString &name)
{
    auto *button = qobject_cast<QAbstractButton *>(control(form, name));
    return button && button->isChecked();
}

QImage EditorControls::picture(const QWidget *form, const QString &name)
{
    auto *box = qobject_cast<PhotoBox *>(control(form, name));
    return box ? box->picture() : QImage();
}
