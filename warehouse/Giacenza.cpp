#include "warehouse/Giacenza.h"

#include "storage/FieldRules.h"
#include "storage/TextField.h"
#include "widgets/BoxBehaviour.h"
#include "widgets/Messages.h"
#include "widgets/Resources.h"
#include "widgets/ShapeWidget.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
// The card keeps its stock in four characters.
constexpr double LowestStock = -999;
constexpr double HighestStock = 9999;

QLabel *label(QWidget *parent, const QString &text, int x, int y)
{
    auto *l = new QLabel(text, parent);
    l->setFont(QFont(QStringLiteral("Verdana"), 9));
    l->move(x, y);
    l->adjustSize();
    return l;
}

QLineEdit *quantityBox(QWidget *parent, const QString &name, const QRect &geometry)
{
    auto *box = new QLineEdit(QStringLiteral("0"), parent);
    box->setObjectName(name);
    box->setGeometry(geometry);
    box->setFont(QFont(QStringLiteral("Verdana"), 12, QFont::Bold));
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    box->setTextMargins(0, -2, 0, -2);
    return box;
}

QPushButton *button(QWidget *parent, const QString &name, const QString &text, const QRect &geometry)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setGeometry(geometry);
    return b;
}
} // namespace

QString TfrmGiacenza::addText()
{
    return QStringLiteral("Quantit\u00e0 da aggiungere:");
}

QString TfrmGiacenza::subtractText()
{
    return QStringLiteral("Quantit\u00e0 da sottrarre:");
}

TfrmGiacenza::TfrmGiacenza(QWidget *owner)
    : DialogWindow(owner, QStringLiteral(" Aggiornamento giacenza"), QSize(364, 339), QColor("#4682B4"))
{
    setObjectName(QStringLiteral("frmGiacenza"));

    new ShapeWidget(this, QRect(0, 0, 364, 92), Qt::white, QColor(), QColor());
    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("imgIcona"));
    icon->setGeometry(16, 18, 56, 56);
    icon->setPixmap(Resources::pixmap(QStringLiteral("giacenza-icona"), icon->size()));
    auto *title = new QLabel(this);
    title->setObjectName(QStringLiteral("imgTitolo"));
    title->setGeometry(84, 30, 264, 32);
    title->setPixmap(Resources::pixmap(QStringLiteral("giacenza-titolo"), title->size()));

    label(this, QStringLiteral("Giacenza attuale:"), 24, 114);
    txtGiacenza = quantityBox(this, QStringLiteral("txtGiacenza"), QRect(200, 110, 100, 22));
    lblAggiunta = label(this, addText(), 24, 154);
    lblAggiunta->setObjectName(QStringLiteral("lblAggiunta"));
    lblAggiunta->setMinimumWidth(170);
    txtAggiunta = quantityBox(this, QStringLiteral("txtAggiunta"), QRect(200, 150, 100, 22));
    auto *line = new ShapeWidget(this, QRect(24, 190, 274, 2), QColor("#1F3F66"), QColor(Qt::white));
    line->setObjectName(QStringLiteral("linSepara"));
    btnTotale = button(this, QStringLiteral("btnTotale"), QStringLiteral("Calcola totale"), QRect(24, 208, 150, 30));
    txtTotale = quantityBox(this, QStringLiteral("txtTotale"), QRect(200, 210, 100, 22));
    txtTotale->setReadOnly(true);
    QPalette crimson = txtTotale->palette();
    crimson.setColor(QPalette::Text, QColor(0xDC, 0x14, 0x3C));
    txtTotale->setPalette(crimson);
    btnAggiorna
        = button(this, QStringLiteral("btnAggiorna"), QStringLiteral("Applica e chiudi"), QRect(176, 264, 150, 30));
    btnChiudi = button(this, QStringLiteral("btnChiudi"), QStringLiteral("Annulla"), QRect(8, 264, 150, 30));

    setTabOrder(txtGiacenza, txtAggiunta);
    setTabOrder(txtAggiunta, btnTotale);
    setTabOrder(btnTotale, txtTotale);
    setTabOrder(txtTotale, btnAggiorna);
    setTabOrder(btnAggiorna, btnChiudi);

    // The quantity rule on leaving, with this dialog's own key filter instead of the shared one.
    for (QLineEdit *box : { txtGiacenza, txtAggiunta })
        BoxBehaviour::attach(box)
            ->quantity()
            ->filter(BoxBehaviour::Filter::None)
            ->onKey([box](int key, const QString &text) { return quantityKey(box, key, text); });
    BoxBehaviour::of(txtGiacenza)->next(txtAggiunta);
    BoxBehaviour::of(txtAggiunta)->next(btnTotale);

    connect(btnTotale, &QPushButton::clicked, this, &TfrmGiacenza::btnTotaleClick);
    connect(btnAggiorna, &QPushButton::clicked, this, &TfrmGiacenza::btnAggiornaClick);
    connect(btnChiudi, &QPushButton::clicked, this, &TfrmGiacenza::btnChiudiClick);
}

bool TfrmGiacenza::quantityKey(QLineEdit *box, int key, const QString &text)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Left:
    case Qt::Key_Right:
        return false;
    default:
        if (BoxBehaviour::isMoveOrModifierKey(key))
            return false;
        break;
    }
    const bool digit = text.size() == 1 && text.at(0) >= QLatin1Char('0') && text.at(0) <= QLatin1Char('9');
    // A box grown past fifteen characters starts afresh with the next key.
    if (box->text().size() > 15)
        box->clear();
    return !text.isEmpty() && !digit;
}

void TfrmGiacenza::calculateTotal()
{
    for (QLineEdit *box : { txtGiacenza, txtAggiunta, txtTotale })
        if (trimText(box->text()).isEmpty())
            box->setText(QStringLiteral("0"));
    const std::optional<double> stock = parseDecimal(txtGiacenza->text());
    const std::optional<double> quantity = parseDecimal(txtAggiunta->text());
    if (!stock || !quantity) {
        for (QLineEdit *box : { txtGiacenza, txtAggiunta, txtTotale })
            box->setText(QStringLiteral("0"));
        return;
    }
    if (lblAggiunta->text() == addText())
        txtTotale->setText(generalForm(*stock + *quantity));
    else if (lblAggiunta->text() == subtractText())
        txtTotale->setText(generalForm(*stock - *quantity));
}

void TfrmGiacenza::setStock(const QString &stock, bool add)
{
    lblAggiunta->setText(add ? addText() : subtractText());
    txtGiacenza->setText(stock);
    txtTotale->setText(stock);
    txtAggiunta->setText(QStringLiteral("0"));
}

QString TfrmGiacenza::total() const
{
    return trimText(txtTotale->text());
}

void TfrmGiacenza::btnTotaleClick()
{
    calculateTotal();
}

void TfrmGiacenza::btnAggiornaClick()
{
    calculateTotal();
    const QString total = trimText(txtTotale->text());
    const std::optional<double> value = parseDecimal(total);
    if (value && (*value < LowestStock || *value > HighestStock)) {
        // Saved as it is, the card would keep only the first four characters of the total.
        Msg::warning(this,
            QStringLiteral("Attenzione: la giacenza risultante (%1) non pu\u00f2 essere registrata "
                           "nella scheda.\r\n\r\nLa giacenza deve essere compresa tra -999 e 9999.")
                .arg(total));
        return;
    }
    accept();
}

void TfrmGiacenza::btnChiudiClick()
{
    reject();
}
