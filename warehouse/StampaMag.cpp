#include "warehouse/StampaMag.h"

#include "report/PrintWindowParts.h"
#include "report/ReportOutput.h"
#include "report/engine/ProductCardReport.h"
#include "storage/FieldRules.h"
#include "storage/SchedaProdotto.h"
#include "storage/TextField.h"
#include "warehouse/Magazzino.h"
#include "widgets/Messages.h"
#include "widgets/PhotoBox.h"
#include "widgets/Resources.h"
#include "widgets/ShapeWidget.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace {
/** What tells the twins apart. */
struct Texts
{
    QString caption;
    QString withPhoto;
    QString withoutPhoto;
    QString button;
    ExplanatoryPicture picture;
};

Texts textsFor(CardPrintWindow::Output output)
{
    const QRect where(23, 24, 315, 188);
    if (output == CardPrintWindow::Output::Print) {
        return { QStringLiteral(" Stampa scheda"), QStringLiteral("Stampa dati con foto."),
            QStringLiteral("Stampa dati senza foto."), QStringLiteral("Stampa"),
            { QStringLiteral("imgSpiega"), QStringLiteral("print-card"), where,
                QStringLiteral("Stampa scheda prodotto. L'operazione stampa la scheda con i suoi dati di testo, con o "
                               "senza la foto del prodotto. Premere Stampa per avviare la stampa, Annulla per "
                               "annullarla.") } };
    }
    return { QStringLiteral(" Anteprima di stampa"), QStringLiteral("Anteprima dati con foto."),
        QStringLiteral("Anteprima dati senza foto."), QStringLiteral("Mostra anteprima"),
        { QStringLiteral("imgSpiega"), QStringLiteral("preview-card"), where,
            QStringLiteral("Anteprima di stampa. L'operazione mostra in anteprima i dati di testo della scheda, con "
                           "o senza la foto del prodotto. Fare clic su Mostra anteprima per vedere il documento sul "
                           "video prima di stamparlo.") } };
}

// A radio button that answers a click anywhere on its row, not only on its mark and caption.
class RowRadioButton : public QRadioButton
{
public:
    using QRadioButton::QRadioButton;

protected:
    bool hitButton(const QPoint &pos) const override { return rect().contains(pos); }
};

QRadioButton *addChoice(QWidget *panel, const QString &name, const QString &text, const QRect &geometry)
{
    auto *option = new RowRadioButton(text, panel);
    option->setObjectName(name);
    option->setGeometry(geometry);
    option->setFont(QFont(QStringLiteral("Verdana"), 12));
    option->setCursor(Qt::PointingHandCursor);
    return option;
}
} // namespace

CardPrintWindow::CardPrintWindow(TfrmMagazzino *editor, Output output)
    : DialogWindow(editor, textsFor(output).caption, QSize(364, 361), QColor(0x46, 0x82, 0xB4))
    , m_editor(editor)
    , m_output(output)
    , m_repFoto(makeRepFoto(folderIcon()))
    , m_repScheda(makeRepScheda(folderIcon()))
{
    const Texts texts = textsFor(output);
    (new ShapeWidget(this, QRect(18, 18, 326, 207), Qt::white))->setObjectName(QStringLiteral("panSpiega"));
    addExplanatoryPicture(this, texts.picture);

    auto *choice = new ShapeWidget(this, QRect(16, 232, 329, 73), Qt::white);
    choice->setObjectName(QStringLiteral("panScelta"));
    m_uno = addChoice(choice, QStringLiteral("optUno"), texts.withPhoto, QRect(16, 12, 300, 22));
    m_due = addChoice(choice, QStringLiteral("optDue"), texts.withoutPhoto, QRect(16, 38, 300, 22));
    m_uno->setChecked(true);

    QPushButton *annulla
        = addPrintButton(this, QStringLiteral("btnAnnulla"), QStringLiteral("Annulla"), QRect(18, 315, 137, 28));
    QPushButton *stampa = addPrintButton(this, QStringLiteral("btnStampa"), texts.button, QRect(208, 315, 137, 28));
    setTabOrder(annulla, stampa);
    setTabOrder(stampa, m_uno);
    setTabOrder(m_uno, m_due);

    m_memory = new QLabel(QStringLiteral("con"), this);
    m_memory->setObjectName(QStringLiteral("lblMemory"));
    m_memory->hide();
    m_logo = new PhotoBox(this, QStringLiteral("imgLogo"), QRect(0, 0, 183, 79));
    m_logo->hide();
    m_bianco = new PhotoBox(this, QStringLiteral("imgBianco"), QRect(0, 0, 183, 79));
    m_bianco->setPicture(Resources::image(QStringLiteral("card-placeholder"), QSize(366, 274)));
    m_bianco->hide();
    copyEditorPhoto();

    connect(m_uno, &QRadioButton::clicked, this, &CardPrintWindow::optUnoClick);
    connect(m_due, &QRadioButton::clicked, this, &CardPrintWindow::optDueClick);
    connect(annulla, &QPushButton::clicked, this, &CardPrintWindow::btnAnnullaClick);
    connect(stampa, &QPushButton::clicked, this, &CardPrintWindow::btnStampaClick);
}

void CardPrintWindow::copyEditorPhoto()
{
    const QImage photo = m_editor->shownPhoto();
    m_logo->setPicture(photo.isNull() ? m_bianco->picture() : photo);
}

void CardPrintWindow::formShow()
{
    copyEditorPhoto();
    findChild<QPushButton *>(QStringLiteral("btnAnnulla"))->setFocus();
}

void CardPrintWindow::optUnoClick()
{
    m_memory->setText(QStringLiteral("con"));
}

void CardPrintWindow::optDueClick()
{
    m_memory->setText(QStringLiteral("senza"));
}

ProductCardValues CardPrintWindow::cardValues(const TSchedaProdotto &shown)
{
    using F = TSchedaProdotto;
    ProductCardValues card;
    card.codice = shown[F::Codice];
    card.costo = shown[F::Costo];
    card.nome = shown[F::Nome];
    card.giacenza = shown[F::Giacenza];
    card.um = shown[F::UM];
    card.tipologia = shown[F::Tipologia];
    card.caratteristiche = shown[F::Caratteristiche];
    card.collocazione = shown[F::Collocazione];
    card.ditta = shown[F::Ditta];
    card.agente = shown[F::Agente];
    card.recapito = shown[F::Recapito];
    card.documento = shown[F::Documento];
    card.pagamento = shown[F::Pagamento];
    card.dataSca = shown[F::DataSca];
    card.note = shown[F::Note];
    card.prezzo = shown[F::Prezzo];
    card.pagato = shown[F::Pagato] == TSchedaProdotto::paidText(true);
    return card;
}

QImage CardPrintWindow::folderIcon()
{
    // Four times the icon's 82 × 68 so that it stays sharp on paper.
    return Resources::image(QStringLiteral("card-folder"), QSize(328, 272));
}

void CardPrintWindow::btnStampaClick()
{
    // Empty boxes count as nothing in stock at no cost, and the editor shows it from now on.
    m_editor->zeroEmptyNumbers();
    ProductCardValues card = cardValues(m_editor->shownCard());
    // Converts before anything else happens: a text that is not a number stops here, with nothing printed.
    if (const auto value = stockValue(card.costo, card.giacenza); !value) {
        Msg::errorReport(this, QString::fromUtf8(value.error().what()));
        return;
    }

    const QString memory = trimText(m_memory->text());
    ReportTemplate *report = nullptr;
    if (memory == QLatin1String("con")) {
        report = &m_repFoto;
        card.photo = m_logo->picture();
    } else if (memory == QLatin1String("senza")) {
        report = &m_repScheda;
    } else {
        return;
    }
    fillProductCard(*report, card);
    const PreparedReport prepared = report->prepare();
    if (m_output == Output::Print)
        ReportOutput::print(this, prepared);
    else
        ReportOutput::showPreview(this, prepared);
    accept();
}

void CardPrintWindow::btnAnnullaClick()
{
    reject();
}

TfrmStampaMag::TfrmStampaMag(TfrmMagazzino *editor)
    : CardPrintWindow(editor, Output::Print)
{
    setObjectName(QStringLiteral("frmStampaMag"));
}

void TfrmStampaMag::openFrom(TfrmMagazzino *editor)
{
    TfrmStampaMag window(editor);
    window.exec();
}
