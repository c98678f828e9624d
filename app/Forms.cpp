#include "app/Forms.h"

#include "app/Avvio.h"
#include "app/CambiaPassword.h"
#include "app/Password.h"
#include "pricelist/ApriCatalogo.h"
#include "pricelist/CreaCatalogo.h"
#include "pricelist/ListinoPrezzi.h"
#include "storage/Leftovers.h"
#include "warehouse/Magazzino.h"

#include <QApplication>

namespace {
struct Instances
{
    TfrmPassword *password = nullptr;
    TfrmApriCatalogo *apriCatalogo = nullptr;
    TfrmAvvio *avvio = nullptr;
    TfrmCambiaPassword *cambiaPassword = nullptr;
    TfrmCreaCatalogo *creaCatalogo = nullptr;
    TfrmListinoPrezzi *listinoPrezzi = nullptr;
    TfrmMagazzino *magazzino = nullptr;
    bool ending = false;
};

Instances &forms()
{
    static Instances instances;
    return instances;
}
} // namespace

void Forms::createAll()
{
    Instances &f = forms();
    f.ending = false;
    // The order of the window set; the dialogs in it are made per use by their openers.
    f.password = new TfrmPassword;
    f.apriCatalogo = new TfrmApriCatalogo;
    f.avvio = new TfrmAvvio;
    f.cambiaPassword = new TfrmCambiaPassword;
    f.creaCatalogo = new TfrmCreaCatalogo;
    f.listinoPrezzi = new TfrmListinoPrezzi;
    f.magazzino = new TfrmMagazzino;
}

void Forms::start()
{
    Leftovers::removeInterruptedSaves();
    createAll();
    forms().password->show();
}

void Forms::destroyAll()
{
    Instances &f = forms();
    f.ending = true;
    delete f.magazzino;
    delete f.listinoPrezzi;
    delete f.creaCatalogo;
    delete f.cambiaPassword;
    delete f.avvio;
    delete f.apriCatalogo;
    delete f.password;
    f = Instances();
}

bool Forms::ending()
{
    return forms().ending;
}

void Forms::endProgram()
{
    forms().ending = true;
    for (QWidget *w : QApplication::topLevelWidgets())
        w->hide();
    QApplication::quit();
}

TfrmPassword *Forms::password() { return forms().password; }
TfrmCambiaPassword *Forms::cambiaPassword() { return forms().cambiaPassword; }
TfrmAvvio *Forms::avvio() { return forms().avvio; }
TfrmMagazzino *Forms::magazzino() { return forms().magazzino; }
TfrmCreaCatalogo *Forms::creaCatalogo() { return forms().creaCatalogo; }
TfrmApriCatalogo *Forms::apriCatalogo() { return forms().apriCatalogo; }
TfrmListinoPrezzi *Forms::listinoPrezzi() { return forms().listinoPrezzi; }
