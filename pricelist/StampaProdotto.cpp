#include "pricelist/StampaProdotto.h"

#include "pricelist/ListinoPrezzi.h"
#include "pricelist/WholeListChoice.h"
#include "report/PrintWindowParts.h"
#include "report/ReportOutput.h"
#include "report/engine/PriceListReport.h"
#include "widgets/ShapeWidget.h"

#include <QPushButton>

namespace {
/** What tells the twins apart. */
struct Texts
{
    QString caption;
    QString button;
    QList<ExplanatoryPicture> pictures;
};

Texts textsFor(PagePrintWindow::Output output)
{
    if (output == PagePrintWindow::Output::Print) {
        return { QStringLiteral(" Stampa scheda"), QStringLiteral("Stampa"),
            { { QStringLiteral("imgSpiega"), QStringLiteral("print-page"), QRect(23, 24, 316, 203),
                QStringLiteral("Stampa documento. L'operazione stampa su carta il documento con i dati inseriti nei "
                               "campi di testo. Premere Stampa per avviare la stampa, Annulla per annullarla.") } } };
    }
    return { QStringLiteral(" Anteprima di stampa"), QStringLiteral("Mostra anteprima"),
        { { QStringLiteral("imgTitolo"), QStringLiteral("preview-heading"), QRect(26, 26, 310, 44),
              QStringLiteral("Anteprima di stampa: mostra in anticipo i dati che appariranno in stampa.") },
            { QStringLiteral("imgFigura"), QStringLiteral("preview-figure"), QRect(26, 76, 310, 82), QString() },
            { QStringLiteral("shpBarra"), QStringLiteral("preview-bar"), QRect(26, 166, 310, 4), QString() },
            { QStringLiteral("icoAnteprima"), QStringLiteral("preview-icon"), QRect(28, 178, 44, 44), QString() },
            { QStringLiteral("imgFrase"), QStringLiteral("preview-sentence"), QRect(80, 176, 258, 50),
                QStringLiteral("Fare clic su Mostra anteprima per vedere il documento sul video prima di stamparlo su "
                               "carta.") } } };
}
} // namespace

PagePrintWindow::PagePrintWindow(TfrmListinoPrezzi *editor, Output output)
    : DialogWindow(
        editor, textsFor(output).caption, QSize(364, 287 + WholeListChoice::ExtraHeight), QColor(0x42, 0x7A, 0xA8))
    , m_editor(editor)
    , m_output(output)
    , m_repDocumento(makeRepDocumento())
{
    const Texts texts = textsFor(output);
    (new ShapeWidget(this, QRect(18, 18, 326, 215), Qt::white))->setObjectName(QStringLiteral("panSpiega"));
    for (const ExplanatoryPicture &picture : texts.pictures)
        addExplanatoryPicture(this, picture);
    QPushButton *annulla
        = addPrintButton(this, QStringLiteral("btnAnnulla"), QStringLiteral("Annulla"), QRect(18, 243, 145, 28));
    QPushButton *stampa = addPrintButton(this, QStringLiteral("btnStampa"), texts.button, QRect(200, 243, 145, 28));
    setTabOrder(annulla, stampa);
    connect(annulla, &QPushButton::clicked, this, &PagePrintWindow::btnAnnullaClick);
    connect(stampa, &QPushButton::clicked, this, &PagePrintWindow::btnStampaClick);
    // The buttons keep their places; the choice sits in the taller window below them.
    m_scelta = new WholeListChoice(
        this, editor, output == Output::Print ? QStringLiteral("stampare") : QStringLiteral("mostrare"));
}

void PagePrintWindow::formShow()
{
    findChild<QPushButton *>(QStringLiteral("btnAnnulla"))->setFocus();
}

void PagePrintWindow::btnStampaClick()
{
    if (m_scelta->wholeList()) {
        const std::optional<PreparedReport> whole = m_scelta->prepare();
        if (!whole)
            return;
        if (m_output == Output::Print)
            ReportOutput::print(this, *whole);
        else
            ReportOutput::showPreview(this, *whole);
        accept();
        return;
    }
    const TfrmListinoPrezzi::PageState shown = m_editor->pageState();
    PriceListPageValues values;
    values.title = shown.title;
    values.page = shown.position;
    for (int k = 0; k < TPaginaListino::SlotCount; ++k) {
        const TVoceListino &voce = shown.boxes.voci[k];
        PriceListPageValues::Slot &slot = values.products[k];
        slot.photo = shown.photos[size_t(k)];
        slot.nome = voce[TVoceListino::Nome];
        slot.um = voce[TVoceListino::UM];
        slot.caratteristiche = voce[TVoceListino::Caratteristiche];
        slot.codice = voce[TVoceListino::Codice];
        slot.prezzo = voce[TVoceListino::Prezzo];
    }
    fillPriceListPage(m_repDocumento, values);
    const PreparedReport prepared = m_repDocumento.prepare();
    if (m_output == Output::Print)
        ReportOutput::print(this, prepared);
    else
        ReportOutput::showPreview(this, prepared);
    accept();
}

void PagePrintWindow::btnAnnullaClick()
{
    reject();
}

TfrmStampaProdotto::TfrmStampaProdotto(TfrmListinoPrezzi *editor)
    : PagePrintWindow(editor, Output::Print)
{
    setObjectName(QStringLiteral("frmStampaProdotto"));
}

void TfrmStampaProdotto::openFrom(TfrmListinoPrezzi *editor)
{
    TfrmStampaProdotto window(editor);
    window.exec();
}
