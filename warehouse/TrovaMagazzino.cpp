#include "warehouse/TrovaMagazzino.h"

#include "storage/ArchiveResult.h"
#include "storage/SchedaProdotto.h"
#include "storage/TextField.h"
#include "warehouse/LabelEntries.h"
#include "warehouse/Magazzino.h"
#include "warehouse/ResultList.h"
#include "warehouse/rules/CardFilter.h"
#include "widgets/BoxBehaviour.h"
#include "widgets/Controls.h"
#include "widgets/HighlightRect.h"
#include "widgets/Messages.h"
#include "widgets/OneLine.h"
#include "widgets/ShapeWidget.h"
#include "widgets/WindowSet.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

namespace {
const QSize kClient(862, 560);
const QSize kPanel(833, 529);

struct SearchBox
{
    const char *name;
    const char *caption;
    int column; // 0 left, 1 right
    int row; // 0 to 4
    int highlight;
    TSchedaProdotto::Field field;
};

// In tab order; Enter moves to the next one, from the last back to the first.
const SearchBox kBoxes[] = {
    { "txtCodice", "Codice articolo:", 0, 0, 1, TSchedaProdotto::Codice },
    { "txtCosto", "Costo unitario:", 1, 0, 2, TSchedaProdotto::Costo },
    { "txtNome", "Nome prodotto:", 0, 1, 9, TSchedaProdotto::Nome },
    { "txtTipologia", "Categoria merceologica:", 1, 1, 10, TSchedaProdotto::Tipologia },
    { "txtCaratteristiche", "Caratteristiche:", 0, 2, 5, TSchedaProdotto::Caratteristiche },
    { "txtCollocazione", "Collocazione in magazzino:", 1, 2, 6, TSchedaProdotto::Collocazione },
    { "txtDitta", "Ditta fornitrice:", 0, 3, 7, TSchedaProdotto::Ditta },
    { "txtAgente", "Agente:", 1, 3, 8, TSchedaProdotto::Agente },
    { "txtDocumento", "Documento di acquisto:", 0, 4, 3, TSchedaProdotto::Documento },
    { "txtNote", "Note:", 1, 4, 4, TSchedaProdotto::Note },
};

QString numbered(const char *stem, int n)
{
    return QStringLiteral("%1%2").arg(QLatin1String(stem)).arg(n, 2, 10, QLatin1Char('0'));
}
} // namespace

TfrmTrovaMagazzino::TfrmTrovaMagazzino(QWidget *owner)
    : TfrmTrovaMagazzino(owner, QStringLiteral(" Trova prodotti in magazzino"))
{ }

TfrmTrovaMagazzino::TfrmTrovaMagazzino(QWidget *owner, const QString &caption)
    : DialogWindow(owner, caption, kClient, Qt::black, Qt::white)
{
    setFont(verdana());
    const QRect panel((kClient.width() - kPanel.width()) / 2, (kClient.height() - kPanel.height()) / 2, kPanel.width(),
        kPanel.height());
    m_panAvvio = new QWidget(this);
    m_panAvvio->setObjectName(QStringLiteral("panAvvio"));
    m_panAvvio->setGeometry(panel);
    paintPanelFace(m_panAvvio);
    buildSearchPanel();

    m_results = new ResultPanel(this, panel, QStringLiteral("trova-banner"), true);
    m_results->setReportTitle(QStringLiteral("Riepilogo prodotti in magazzino"));
    LabelEntries::addToResults(m_results);
    m_results->hide();
    connect(m_results, &ResultPanel::recordChosen, this, &TfrmTrovaMagazzino::lstRecordsDblClick);
    connect(m_results, &ResultPanel::closeRequested, this, &QDialog::reject);
}

void TfrmTrovaMagazzino::buildSearchPanel()
{
    QWidget *p = m_panAvvio;
    auto *explanation = new ShapeWidget(p, QRect(8, 8, 817, 78), Qt::white);
    explanation->setObjectName(QStringLiteral("shpSpiega"));
    placePicture(p, QStringLiteral("imgSpiega"), QStringLiteral("trova-spiega"), QRect(18, 16, 58, 55));
    placeLabel(p, QStringLiteral("lblRigo04"), QPoint(88, 18),
        QStringLiteral("Immettere nei campi prescelti una o più parole consecutive presenti nelle schede da "
                       "trovare e premere il pulsante Cerca."));
    placeLabel(
        p, QStringLiteral("lblRigo05"), QPoint(88, 38), QStringLiteral("Lasciare in bianco tutti gli altri campi."));
    placeLabel(p, QStringLiteral("lblRigo06"), QPoint(88, 58),
        QStringLiteral("Per ogni ricerca è possibile utilizzare uno o più campi contemporaneamente."));

    auto *background = new ShapeWidget(p, QRect(8, 96, 817, 382), QColor(0xBE, 0xC4, 0xCA), Qt::white);
    background->setObjectName(QStringLiteral("shpSfondoCampi"));
    auto *icons = new ShapeWidget(p, QRect(24, 112, 97, 349), Qt::white);
    icons->setObjectName(QStringLiteral("shpCampi"));
    for (int i = 0; i < 3; ++i)
        placePicture(p, numbered("icoTrova", i + 1), QStringLiteral("trova-campo%1").arg(i + 1),
            QRect(40, 143 + i * 105, 64, 64));

    for (const SearchBox &b : kBoxes) {
        const QPoint at(b.column == 0 ? 144 : 488, 141 + 70 * b.row);
        auto *caption = placeLabel(
            p, numbered("lblCampo", b.highlight), at - QPoint(0, 21), QString::fromUtf8(b.caption), verdana(12));
        auto *box = new QLineEdit(p);
        caption->setBuddy(box); // screen readers name the box by its caption
        box->setObjectName(QLatin1String(b.name));
        box->setGeometry(QRect(at, QSize(320, 22)));
        box->setFont(verdana(12, true));
        BoxBehaviour::attach(box, new HighlightRect(box, numbered("effCampo", b.highlight)));
        keepOneLine(box);
        m_boxes.append(box);
    }
    for (int i = 0; i < m_boxes.size(); ++i)
        BoxBehaviour::of(m_boxes[i])->next(m_boxes[(i + 1) % m_boxes.size()]);

    auto *btnAnnulla = placeButton(p, QStringLiteral("btnAnnulla"), QRect(8, 488, 150, 30), QStringLiteral("Chiudi"));
    auto *btnCerca = placeButton(p, QStringLiteral("btnCerca"), QRect(675, 488, 150, 30), QStringLiteral("Cerca"));
    m_lblAttendere = placeLabel(
        p, QStringLiteral("lblAttendere"), QPoint(177, 494), QStringLiteral("Ricerca schede in corso. Attendere..."));
    QPalette cyan = m_lblAttendere->palette();
    cyan.setColor(QPalette::WindowText, QColor(0x00, 0x8B, 0x8B));
    m_lblAttendere->setPalette(cyan);
    m_lblAttendere->hide();
    m_lblConta = placeLabel(p, QStringLiteral("lblConta"), QPoint(644, 494), QStringLiteral("0"));
    m_lblConta->hide();
    m_lblMemory = placeLabel(p, QStringLiteral("lblMemory"), QPoint(537, 493), QString());
    m_lblMemory->hide();

    setTabOrder(m_boxes.last(), btnAnnulla);
    setTabOrder(btnAnnulla, btnCerca);
    // The waiting text must be on screen before the scan holds the window.
    connect(btnCerca, &QPushButton::pressed, this, [this] {
        m_lblAttendere->show();
        m_lblAttendere->repaint();
    });
    connect(btnCerca, &QPushButton::clicked, this, &TfrmTrovaMagazzino::btnCercaClick);
    connect(btnAnnulla, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmTrovaMagazzino::openFrom(QWidget *editor)
{
    TfrmTrovaMagazzino window(editor);
    window.m_lblMemory->setText(QStringLiteral("magazzino"));
    window.exec();
}

QString TfrmTrovaMagazzino::callerTag() const
{
    return trimText(m_lblMemory->text());
}

void TfrmTrovaMagazzino::setCallerTag(const QString &tag)
{
    m_lblMemory->setText(tag);
}

void TfrmTrovaMagazzino::formShow()
{
    m_results->resetFind();
    m_boxes.first()->setFocus(Qt::OtherFocusReason);
}

void TfrmTrovaMagazzino::done(int result)
{
    m_results->model()->clear();
    m_lblAttendere->hide();
    DialogWindow::done(result);
}

void TfrmTrovaMagazzino::keyPressEvent(QKeyEvent *event)
{
    if (!pressFocusedButton(this, event->key()))
        DialogWindow::keyPressEvent(event);
}

void TfrmTrovaMagazzino::btnCercaClick()
{
    QList<CardMatcher::Box> boxes;
    for (int i = 0; i < m_boxes.size(); ++i)
        boxes.append({ kBoxes[i].field, m_boxes[i]->text() });
    const CardMatcher matcher(boxes);
    m_lblConta->setText(QString::number(matcher.countedBoxes()));

    ResultLines entries;
    const ArchiveResult<Done> read = archiveResult([&] {
        collectResults(entries, LineLayout::Search, [&matcher](const char *record) { return matcher.matches(record); });
    });
    if (!read) {
        // The search panel stays, with the waiting text; the hidden list keeps what was read.
        m_results->model()->setEntries(std::move(entries));
        Msg::archiveError(this, read.error(), true);
        return;
    }
    m_results->showEntries(std::move(entries));
    m_results->show();
    m_panAvvio->hide();
    m_results->findBox()->clear();
    m_results->findBox()->setFocus(Qt::OtherFocusReason);
}

void TfrmTrovaMagazzino::lstRecordsDblClick(qint64 record)
{
    if (callerTag() == QLatin1String("magazzino")) {
        const ArchiveResult<TSchedaProdotto> card = archiveResult([record] { return WarehouseArchive::read(record); });
        if (card)
            WindowSet::instance<TfrmMagazzino>()->fillFromRecord(*card, record);
        // The window closes without a word and the editor keeps its card, unless the archive is busy.
        else if (Msg::archiveBusy(this, card.error()))
            return;
    }
    accept();
}
