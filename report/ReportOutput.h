#pragma once

#include "report/engine/PreparedReport.h"
#include "report/engine/ReportPainter.h"

#include <functional>

class QPrinter;
class QWidget;

/**
 * Where prepared reports go: the preview window and the printer. Every print of the program passes
 * through here, so tests can take the pages instead of the screen and the printer.
 */
namespace ReportOutput {
enum class Action { Preview, Print };

/** The modal, maximised preview window at 100 %; returns when it is closed. */
void showPreview(QWidget *parent, const PreparedReport &report);

/** The print dialog with one copy preset, then the printer; returns when printed or cancelled. */
void print(QWidget *parent, const PreparedReport &report);

/**
 * Prints on a printer whose dialog has been answered, honouring its page range, on the report's
 * paper and orientation whatever printer and properties were chosen. More than one page shows the
 * progress window dlgStampaInCorso, whose Annulla stops the job after the page in progress. A
 * printer that fails or refuses that paper, or a PDF file that cannot be saved, is reported in an
 * error box and logged; the result says which, or that the job was stopped.
 */
ReportResult printOn(QWidget *parent, QPrinter &printer, const PreparedReport &report);

/** Test seam: receives every preview and print instead of the screen and the printer. */
using Handler = std::function<void(Action, const PreparedReport &)>;
void setHandler(Handler handler);

/**
 * Test seam for the print dialog alone: gets the printer the dialog would show, may change it as a
 * user can, and answers whether to print. The printing itself stays real.
 */
using DialogHandler = std::function<bool(QPrinter &)>;
void setDialogHandler(DialogHandler handler);
} // namespace ReportOutput
