#include "widgets/StatusHints.h"

#include <QAbstractSpinBox>
#include <QCursor>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QStatusTipEvent>

namespace {
class HintFilter : public QObject
{
public:
    HintFilter(QWidget *window, QLabel *panInfo)
        : QObject(window)
        , m_window(window)
        , m_panInfo(panInfo)
    { }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Show) {
            // A window appearing under a still mouse gets an Enter: that is no move, the line keeps its text.
            m_stillAt = QCursor::pos();
            m_still = true;
            return false;
        }
        if (event->type() == QEvent::StatusTip) {
            // A context-menu entry under the mouse says what it does, as the controls do.
            const QString tip = static_cast<QStatusTipEvent *>(event)->tip();
            if (m_panInfo && !tip.isEmpty())
                m_panInfo->setText(tip);
            return false;
        }
        if (event->type() != QEvent::MouseMove && event->type() != QEvent::Enter)
            return false;
        auto *w = qobject_cast<QWidget *>(watched);
        if (!w || !m_panInfo)
            return false;
        // Mouse moves travel up to the parents; only the widget really under the mouse decides.
        QPoint global;
        if (event->type() == QEvent::MouseMove)
            global = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
        else
            global = static_cast<QEnterEvent *>(event)->globalPosition().toPoint();
        if (m_still && global == m_stillAt)
            return false;
        m_still = false;
        QWidget *under = m_window->childAt(m_window->mapFromGlobal(global));
        if (!under)
            under = m_window;
        for (QWidget *p = under; p; p = p->parentWidget()) {
            // A box with its own hint (the due-date box) shows it; other boxes leave the line alone.
            const QVariant hint = p->property("statusText");
            if (hint.isValid()) {
                m_panInfo->setText(hint.toString());
                return false;
            }
            if (qobject_cast<QLineEdit *>(p) || qobject_cast<QAbstractSpinBox *>(p))
                return false;
            if (p == m_window)
                break;
        }
        m_panInfo->setText(QString());
        return false;
    }

private:
    QWidget *m_window;
    QPointer<QLabel> m_panInfo;
    QPoint m_stillAt;
    bool m_still = false;
};

void watch(QWidget *w, HintFilter *filter)
{
    w->setMouseTracking(true);
    w->installEventFilter(filter);
    for (QObject *child : w->children())
        if (auto *cw = qobject_cast<QWidget *>(child))
            watch(cw, filter);
}
} // namespace

void installStatusHints(QWidget *window, QLabel *panInfo)
{
    watch(window, new HintFilter(window, panInfo));
}
