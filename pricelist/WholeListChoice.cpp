#include "pricelist/WholeListChoice.h"

#include "pricelist/ListinoPrezzi.h"
#include "pricelist/rules/WholeList.h"
#include "storage/ArchiveResult.h"
#include "storage/FieldRules.h"
#include "storage/PaginaListino.h"
#include "storage/TextField.h"
#include "widgets/Messages.h"
#include "widgets/ProgressWindow.h"
#include "widgets/StatusHints.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QRadioButton>

namespace {
template <typename Control>
Control *choiceControl(
    QWidget *window, const QString &name, const QString &text, const QRect &geometry, const QString &status)
{
    auto *control = new Control(text, window);
    control->setObjectName(name);
    control->setGeometry(geometry);
    control->setFont(QFont(QStringLiteral("Verdana"), 9));
    control->setCursor(Qt::PointingHandCursor);
    control->setProperty("statusText", status);
    control->setAccessibleName(text);
    control->setAccessibleDescription(status);
    return control;
}

// The status texts name what the window does: print, or show in the preview.
struct Hints
{
    QString pagina;
    QString listino;
    QString empty;
};

Hints hintsFor(const QString &verb)
{
    const bool print = verb == QLatin1String("stampare");
    return {
        print ? QStringLiteral("Stampa soltanto la scheda mostrata nella finestra del listino.")
              : QStringLiteral("Mostra in anteprima soltanto la scheda aperta nella finestra del listino."),
        print ? QStringLiteral("Stampa tutte le schede salvate del listino, in ordine, in un solo lavoro.")
              : QStringLiteral("Mostra in anteprima tutte le schede salvate del listino, in ordine."),
        QStringLiteral("Il listino non contiene nessuna scheda salvata: si può %1 solo la pagina corrente.").arg(verb)
    };
}

const QString kIndiceHint
    = QStringLiteral("Dopo l'ultima scheda aggiunge l'elenco dei prodotti in ordine di nome, con la pagina di ognuno.");
} // namespace

WholeListChoice::WholeListChoice(QWidget *window, TfrmListinoPrezzi *editor, const QString &verb)
    : QObject(window)
    , m_window(window)
    , m_editor(editor)
    , m_verb(verb)
{
    qint64 pages = 0;
    // Only an existing list is counted: opening a missing one would create it.
    if (!listPath().isEmpty() && QFileInfo(listPath()).isFile()) {
        const ArchiveResult<qint64> counted = archiveResult([this] { return PriceListFile::pageCount(listPath()); });
        pages = counted ? *counted : 0;
    }
    const int top = window->height() - ExtraHeight;
    const Hints hints = hintsFor(verb);
    optPagina = choiceControl<QRadioButton>(window, QStringLiteral("optPagina"),
        QStringLiteral("Solo la pagina corrente"), QRect(18, top, 326, 20), hints.pagina);
    optListino = choiceControl<QRadioButton>(window, QStringLiteral("optListino"),
        QStringLiteral("Tutto il listino (%1 %2)")
            .arg(formatCount(pages), pages == 1 ? QStringLiteral("pagina") : QStringLiteral("pagine")),
        QRect(18, top + 21, 326, 20), pages > 0 ? hints.listino : hints.empty);
    chkIndice = choiceControl<QCheckBox>(window, QStringLiteral("chkIndice"),
        QStringLiteral("Aggiungi indice dei prodotti"), QRect(38, top + 42, 306, 20), kIndiceHint);
    panInfo = new QLabel(window);
    panInfo->setObjectName(QStringLiteral("panInfo"));
    // Two lines: the longest status texts do not fit in one at this width.
    panInfo->setGeometry(18, top + 64, 326, 34);
    panInfo->setWordWrap(true);
    panInfo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    panInfo->setFont(QFont(QStringLiteral("Tahoma"), 8));
    panInfo->setAccessibleDescription(QStringLiteral("Riga di stato"));
    optPagina->setChecked(true);
    optListino->setEnabled(pages > 0);
    chkIndice->setEnabled(false);
    if (pages == 0)
        panInfo->setText(hints.empty);
    connect(optListino, &QRadioButton::toggled, chkIndice, &QCheckBox::setEnabled);
    installStatusHints(window, panInfo);
}

bool WholeListChoice::wholeList() const
{
    return optListino->isChecked();
}

QString WholeListChoice::listPath() const
{
    return m_editor->pageState().file;
}

bool WholeListChoice::editorHasUnsavedChanges() const
{
    const TfrmListinoPrezzi::PageState state = m_editor->pageState();
    const qint64 shown = trimText(state.position).toLongLong();
    TPaginaListino saved;
    if (shown > 0) {
        const ArchiveResult<TPaginaListino> read
            = archiveResult([&] { return PriceListFile::read(state.file, shown); });
        if (!read)
            return true;
        saved = *read;
    }
    for (int k = 0; k < TPaginaListino::SlotCount; ++k)
        for (int f = 0; f < TVoceListino::FieldCount; ++f) {
            const QString &shownText = state.boxes.voci[k].values[f];
            // A new page starts with 0,00 in its price boxes: that alone is nothing to save.
            if (shown == 0 && f == TVoceListino::Prezzo && shownText == QLatin1String("0,00"))
                continue;
            if (shownText != saved.voci[k].values[f])
                return true;
        }
    return false;
}

std::optional<PreparedReport> WholeListChoice::prepare()
{
    if (editorHasUnsavedChanges()) {
        const QMessageBox::StandardButton answer = Msg::askYesNoCancel(m_window,
            QStringLiteral("La scheda corrente contiene modifiche non salvate.\r\n"
                           "Salvarla prima di %1 tutto il listino?\r\n\r\n"
                           "Sì: salva la scheda e continua. No: usa la versione salvata. Annulla: non %1 nulla.")
                .arg(m_verb));
        if (answer == QMessageBox::Cancel)
            return std::nullopt;
        if (answer == QMessageBox::Yes) {
            m_editor->save();
            // The editor has reported why it could not save; nothing is printed then.
            if (editorHasUnsavedChanges())
                return std::nullopt;
        }
    }
    // Photos of a long list take a while to read: the progress window says how far it got. What the
    // pages need from the editor is read here; the pages are made on a worker.
    const TfrmListinoPrezzi::PageState state = m_editor->pageState();
    const QString &path = state.file;
    const QString &title = state.title;
    const bool withIndex = chkIndice->isChecked();
    const QImage &blank = state.blank;
    ProgressWindow progress(m_window, QStringLiteral("dlgPreparazione"), QStringLiteral(" Preparazione del listino"),
        QStringLiteral("Avanzamento della preparazione del listino"));
    ArchiveResult<std::optional<PreparedReport>> report = progress.run([&](Job &job) {
        return archiveResult([&] {
            return WholeList::report(path, title, withIndex, blank, [&job](qint64 done, qint64 total) {
                return total < 10
                    || job.step(done, total,
                        QStringLiteral("Preparazione del listino: pagina %1 di %2")
                            .arg(formatCount(done + 1), formatCount(total)));
            });
        });
    });
    if (!report) {
        Msg::archiveError(m_window, report.error());
        return std::nullopt;
    }
    return std::move(*report);
}
