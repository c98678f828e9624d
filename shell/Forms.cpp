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

void Forms::createAll()
{
    WindowSet::setEnding(false);
    // The order of the window set; the dialogs in it are made per use by their openers.
    WindowSet::instance<TfrmPassword>() = new TfrmPassword;
    WindowSet::instance<TfrmApriCatalogo>() = new TfrmApriCatalogo;
    WindowSet::instance<TfrmAvvio>() = new TfrmAvvio;
    WindowSet::instance<TfrmCambiaPassword>() = new TfrmCambiaPassword;
    WindowSet::instance<TfrmCreaCatalogo>() = new TfrmCreaCatalogo;
    WindowSet::instance<TfrmListinoPrezzi>() = new TfrmListinoPrezzi;
    WindowSet::instance<TfrmMagazzino>() = new TfrmMagazzino;
    WindowSet::setStartWindow([](QWidget *previous) {
        if (TfrmAvvio *start = avvio())
            start->handOverFrom(previous);
    });
}

void Forms::start()
{
    // An import or a restore stopped half-way is settled before anything reads the folder.
    const QString settled = Journal::recover();
    Leftovers::removeInterruptedSaves();
    createAll();
    if (!settled.isEmpty())
        Msg::warning(nullptr, settled);
    password()->show();
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
