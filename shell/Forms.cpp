#include "shell/Forms.h"

#include "app/CambiaPassword.h"
#include "app/Password.h"
#include "pricelist/ApriCatalogo.h"
#include "pricelist/CreaCatalogo.h"
#include "pricelist/ListinoPrezzi.h"
#include "shell/Avvio.h"
#include "storage/Journal.h"
#include "storage/Leftovers.h"
#include "warehouse/Magazzino.h"
#include "widgets/Messages.h"
#include "widgets/WindowSet.h"

#include <QEvent>
#include <QTimer>

namespace {
template <typename W> void makeOnFirstUse()
{
    WindowSet::maker<W>() = [] { return new W; };
}

template <typename W> void make()
{
    (void)WindowSet::instance<W>();
}

void setUp()
{
    WindowSet::setEnding(false);
    makeOnFirstUse<TfrmPassword>();
    makeOnFirstUse<TfrmApriCatalogo>();
    makeOnFirstUse<TfrmAvvio>();
    makeOnFirstUse<TfrmCambiaPassword>();
    makeOnFirstUse<TfrmCreaCatalogo>();
    makeOnFirstUse<TfrmListinoPrezzi>();
    makeOnFirstUse<TfrmMagazzino>();
    WindowSet::setStartWindow([](QWidget *previous) {
        if (TfrmAvvio *start = Forms::avvio())
            start->handOverFrom(previous);
    });
}

// The order of the window set after the password window; the dialogs in it are made per use by their openers.
void makeTheRest()
{
    if (WindowSet::ending())
        return;
    make<TfrmApriCatalogo>();
    make<TfrmAvvio>();
    make<TfrmCambiaPassword>();
    make<TfrmCreaCatalogo>();
    make<TfrmListinoPrezzi>();
    make<TfrmMagazzino>();
}

/** Runs `then` once `window` has been painted for the first time, from the event loop. */
class AfterFirstPaint : public QObject
{
public:
    AfterFirstPaint(QWidget *window, std::function<void()> then)
        : QObject(window)
        , m_then(std::move(then))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, watched, m_then);
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> m_then;
};
} // namespace

void Forms::createAll()
{
    setUp();
    make<TfrmPassword>();
    makeTheRest();
}

void Forms::start()
{
    // An import or a restore stopped half-way is settled before anything reads the folder.
    const QString settled = Journal::recover();
    Leftovers::removeInterruptedSaves();
    setUp();
    make<TfrmPassword>();
    if (!settled.isEmpty())
        Msg::warning(nullptr, settled);
    password()->show();
    // Nothing but the password window is needed before it is on screen: the others are made while
    // the password is typed (or when first asked for, if that comes sooner).
    new AfterFirstPaint(password(), makeTheRest);
}

namespace {
template <typename W> void destroy()
{
    delete WindowSet::instance<W>();
    WindowSet::instance<W>() = nullptr;
}
} // namespace

void Forms::destroyAll()
{
    WindowSet::setEnding(true);
    destroy<TfrmMagazzino>();
    destroy<TfrmListinoPrezzi>();
    destroy<TfrmCreaCatalogo>();
    destroy<TfrmCambiaPassword>();
    destroy<TfrmAvvio>();
    destroy<TfrmApriCatalogo>();
    destroy<TfrmPassword>();
    WindowSet::maker<TfrmMagazzino>() = {};
    WindowSet::maker<TfrmListinoPrezzi>() = {};
    WindowSet::maker<TfrmCreaCatalogo>() = {};
    WindowSet::maker<TfrmCambiaPassword>() = {};
    WindowSet::maker<TfrmAvvio>() = {};
    WindowSet::maker<TfrmApriCatalogo>() = {};
    WindowSet::maker<TfrmPassword>() = {};
    WindowSet::setStartWindow({});
    WindowSet::setEnding(false);
}

bool Forms::ending()
{
    return WindowSet::ending();
}

void Forms::endProgram()
{
    WindowSet::endProgram();
}

TfrmPassword *Forms::password()
{
    return WindowSet::instance<TfrmPassword>();
}
TfrmCambiaPassword *Forms::cambiaPassword()
{
    return WindowSet::instance<TfrmCambiaPassword>();
}
TfrmAvvio *Forms::avvio()
{
    return WindowSet::instance<TfrmAvvio>();
}
TfrmMagazzino *Forms::magazzino()
{
    return WindowSet::instance<TfrmMagazzino>();
}
TfrmCreaCatalogo *Forms::creaCatalogo()
{
    return WindowSet::instance<TfrmCreaCatalogo>();
}
TfrmApriCatalogo *Forms::apriCatalogo()
{
    return WindowSet::instance<TfrmApriCatalogo>();
}
TfrmListinoPrezzi *Forms::listinoPrezzi()
{
    return WindowSet::instance<TfrmListinoPrezzi>();
}
