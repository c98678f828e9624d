#pragma once

class TfrmPassword;
class TfrmCambiaPassword;
class TfrmAvvio;
class TfrmMagazzino;
class TfrmCreaCatalogo;
class TfrmApriCatalogo;
class TfrmListinoPrezzi;

/**
 * The long-lived windows, each made once at start-up and reached through one program-wide
 * reference. Dialogs are not here: whoever opens one makes a fresh instance.
 */
namespace Forms {
/** Makes the long-lived windows in start-up order, the password window first. */
void createAll();
/**
 * What launching does: settles an import or a restore that was stopped half-way (and says so), clears
 * what interrupted saves left, makes the windows and shows the main one, the password window, alone.
 */
void start();
/** Destroys them all (the end of the program, and between tests). */
void destroyAll();
/** True while the program is ending: closing windows then hands nothing over. */
bool ending();
/** Ends the program at once: every window closes, nothing is saved or asked. */
void endProgram();

TfrmPassword *password();
TfrmCambiaPassword *cambiaPassword();
TfrmAvvio *avvio();
TfrmMagazzino *magazzino();
TfrmCreaCatalogo *creaCatalogo();
TfrmApriCatalogo *apriCatalogo();
TfrmListinoPrezzi *listinoPrezzi();
} // namespace Forms
