#include "widgets/BoxBehaviour.h"

#include "storage/FieldRules.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QValidator>

BoxBehaviour::BoxBehaviour(QLineEdit *box, QWidget *highlight)
    : QObject(box)
    , m_box(box)
    , m_highlight(highlight)
{
    box->installEventFilter(this);
    m_before = box->text();
    connect(box, &QLineEdit::textChanged, this, &BoxBehaviour::textChanged);
}

namespace {

// QLineEdit keeps an undo history of the user's changes and clears it when the program sets the text:
// a change with nothing to undo is the program's.
bool setByProgram(const QLineEdit *box)
{
    return !box->isUndoAvailable();
}

// Refuses a change of the user's that makes the text longer than the typing limit, unless the program
// had already put a longer text there. QLineEdit validates a change before signalling it, so `before`
// still holds the text as it was.
class LengthLimit : public QValidator
{
public:
    LengthLimit(QLineEdit *box, const int &limit, const QString &before)
        : QValidator(box)
        , m_box(box)
        , m_limit(limit)
        , m_before(before)
    { }
    State validate(QString &input, int &) const override
    {
        if (setByProgram(m_box) || input.size() <= qMax<qsizetype>(m_limit, m_before.size()))
            return Acceptable;
        return Invalid;
    }

private:
    const QLineEdit *m_box;
    const int &m_limit;
    const QString &m_before;
};

} // namespace

void showFromStart(QLineEdit *box, const QString &text)
{
    box->setText(text);
    box->setCursorPosition(0);
}

void BoxBehaviour::textChanged()
{
    m_before = m_box->text();
    m_untouched = setByProgram(m_box);
}

BoxBehaviour *BoxBehaviour::attach(QLineEdit *box, QWidget *highlight)
{
    if (BoxBehaviour *existing = of(box)) {
        if (highlight)
            existing->m_highlight = highlight;
        return existing;
    }
    return new BoxBehaviour(box, highlight);
}

BoxBehaviour *BoxBehaviour::of(QLineEdit *box)
{
    return box->findChild<BoxBehaviour *>(QString(), Qt::FindDirectChildrenOnly);
}

BoxBehaviour *BoxBehaviour::next(QWidget *next)
{
    m_next = next;
    return this;
}

BoxBehaviour *BoxBehaviour::money()
{
    m_filter = Filter::Money;
    m_normaliseMoney = true;
    return this;
}

BoxBehaviour *BoxBehaviour::quantity()
{
    m_filter = Filter::Quantity;
    m_normaliseQuantity = true;
    return this;
}

BoxBehaviour *BoxBehaviour::limit(int length)
{
    m_limit = length;
    if (!m_box->validator())
        m_box->setValidator(new LengthLimit(m_box, m_limit, m_before));
    return this;
}

BoxBehaviour *BoxBehaviour::filter(Filter filter)
{
    m_filter = filter;
    return this;
}

BoxBehaviour *BoxBehaviour::discardKeys(QList<int> keys)
{
    m_discard = std::move(keys);
    return this;
}

BoxBehaviour *BoxBehaviour::onExit(std::function<void()> exit)
{
    m_exit = std::move(exit);
    return this;
}

BoxBehaviour *BoxBehaviour::onKey(std::function<bool(int, const QString &)> key)
{
    m_key = std::move(key);
    return this;
}

bool BoxBehaviour::isMoveOrModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
        return true;
    default:
        return false;
    }
}

bool BoxBehaviour::keyAllowed(Filter filter, int key, const QString &text)
{
    if (filter == Filter::None)
        return true;
    switch (key) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Left:
    case Qt::Key_Right:
        return true;
    default:
        break;
    }
    if (text.size() == 1) {
        const QChar c = text.at(0);
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            return true;
        if (c == QLatin1Char(',') && filter == Filter::Money)
            return true;
    }
    return false;
}

void BoxBehaviour::tidy()
{
    // The rule's rewriting of what the user typed is still the user's value.
    const bool untouched = m_untouched;
    if (m_normaliseMoney)
        m_box->setText(normaliseMoney(m_box->text()));
    else if (m_normaliseQuantity)
        m_box->setText(normaliseQuantity(m_box->text()));
    m_untouched = untouched;
    if (m_exit)
        m_exit();
}

void BoxBehaviour::focusChanged(QWidget *now)
{
    if (!now || now == m_box || now->window() != m_box->window())
        return;
    disconnect(m_pendingTidy);
    tidy();
}

bool BoxBehaviour::eventFilter(QObject *watched, QEvent *event)
{
    // A box being destroyed is no longer a line edit and gets a last focus-out: leave it alone.
    if (watched != m_box || !qobject_cast<QLineEdit *>(watched))
        return false;
    switch (event->type()) {
    case QEvent::FocusIn:
        m_clickedIn = static_cast<QFocusEvent *>(event)->reason() == Qt::MouseFocusReason;
        disconnect(m_pendingTidy);
        if (m_highlight)
            m_highlight->show();
        break;
    case QEvent::FocusOut: {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        // The cursor has not left the box while its context menu is open (a paste from it would
        // otherwise land in a box already reset to 0,00), nor while another window is in front.
        if (reason == Qt::PopupFocusReason)
            break;
        if (m_highlight)
            m_highlight->hide();
        if (reason == Qt::ActiveWindowFocusReason) {
            // A message box in front: if the cursor comes back elsewhere (a required-field warning
            // moves it on), the box has been left after all.
            if (!m_pendingTidy)
                m_pendingTidy = connect(
                    qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { focusChanged(now); });
            break;
        }
        tidy();
        break;
    }
    case QEvent::MouseButtonRelease:
        // Typing then replaces the untouched 0,00 instead of going in front of it; a drag that chose
        // part of the text, and every later click, keep QLineEdit's own behaviour.
        if (m_clickedIn && selectsOnClick() && m_untouched && !m_box->hasSelectedText())
            m_box->selectAll();
        m_clickedIn = false;
        break;
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        if (m_key && m_key(key->key(), key->text()))
            return true;
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (m_next)
                m_next->setFocus(Qt::TabFocusReason); // as Tab does: the text is selected, typing replaces it
            return m_next != nullptr || m_filter != Filter::None;
        }
        if (m_discard.contains(key->key()))
            return true;
        // Tab always moves between boxes: the filters judge only what is typed into a box.
        if (m_filter == Filter::None || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            return false;
        // Clipboard and selection shortcuts stay usable: pasted text is cleaned on leaving.
        if (key->matches(QKeySequence::Paste) || key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Cut)
            || key->matches(QKeySequence::SelectAll) || key->matches(QKeySequence::Undo))
            return false;
        return !keyAllowed(m_filter, key->key(), key->text());
    }
    default:
        break;
    }
    return false;
}
