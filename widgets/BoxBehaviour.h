#pragma once

#include <QObject>

#include <functional>

class QLineEdit;
class QWidget;

/** Puts the program's `text` in `box` showing its beginning, where setText() would show its end. */
void showFromStart(QLineEdit *box, const QString &text);

/**
 * What a text box does besides holding text, set up in one call per box: its focus highlight,
 * the box Enter moves the cursor to, its key filter (money: digits and comma; quantity: digits)
 * and the rule run when the cursor leaves it.
 */
class BoxBehaviour : public QObject
{
    Q_OBJECT
public:
    enum class Filter { None, Money, Quantity };

    /** Attaches to `box`; `highlight` (may be null) is shown while the box has the cursor. */
    static BoxBehaviour *attach(QLineEdit *box, QWidget *highlight = nullptr);
    static BoxBehaviour *of(QLineEdit *box);

    /** Enter moves the cursor to `next` and goes no further. */
    BoxBehaviour *next(QWidget *next);
    /** Money filter plus the money rule on leaving. */
    BoxBehaviour *money();
    /** Whole-number filter plus the quantity rule on leaving. */
    BoxBehaviour *quantity();
    /** Only the key filter, no rule on leaving. */
    BoxBehaviour *filter(Filter filter);
    /** Extra keys the filter discards too (the price boxes of the page editor drop Tab, Home, End). */
    BoxBehaviour *discardKeys(QList<int> keys);
    /** Runs when the cursor leaves the box, after the built-in rule. */
    BoxBehaviour *onExit(std::function<void()> exit);
    /**
     * Typing and pasting stop at `length` characters; text the program puts into the box is not cut
     * (it is cut when stored). Replaces QLineEdit's own limit, which cuts both.
     */
    BoxBehaviour *limit(int length);
    /** The typing limit, 0 when there is none. */
    int typingLimit() const { return m_limit; }
    /** Runs on every key press before anything else; returning true swallows the key. */
    BoxBehaviour *onKey(std::function<bool(int key, const QString &text)> key);

    /** Tab, Shift+Tab and bare modifier keys: moving between boxes, not typing into one. */
    static bool isMoveOrModifierKey(int key);

    /** The filters' decision for one key: true when it reaches the box. */
    static bool keyAllowed(Filter filter, int key, const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    BoxBehaviour(QLineEdit *box, QWidget *highlight);
    void tidy();
    void textChanged();
    void focusChanged(QWidget *now);
    /** Money and quantity boxes: a click into one holding the program's own value selects that value. */
    bool selectsOnClick() const { return m_filter != Filter::None; }

    QLineEdit *m_box;
    QWidget *m_highlight;
    QWidget *m_next = nullptr;
    Filter m_filter = Filter::None;
    bool m_normaliseMoney = false;
    bool m_normaliseQuantity = false;
    QList<int> m_discard;
    int m_limit = 0;
    bool m_untouched = true; // the text is the one the program put there, not yet edited by the user
    bool m_clickedIn = false; // the cursor came in with a mouse press, whose release is still to come
    QString m_before; // the text before the change being checked
    // Left for another window: watches where the cursor comes back, to tidy if that is elsewhere.
    QMetaObject::Connection m_pendingTidy;
    std::function<void()> m_exit;
    std::function<bool(int, const QString &)> m_key;
};
