#include "app/Guida.h"

#include "app/rules/Links.h"
#include "widgets/ArtLabel.h"
#include "widgets/LinkLabel.h"
#include "widgets/OpenURL.h"
#include "widgets/PictureButton.h"
#include "widgets/ShapeWidget.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

TfrmGuida::TfrmGuida(QWidget *owner)
    : DialogWindow(
        owner, QStringLiteral(" Guida all'utilizzo del software"), QSize(670, 572), Qt::white, QColor(0xBF, 0xD8, 0xEF))
{
    setObjectName(QStringLiteral("frmGuida"));
    QWidget *panel = centredPanel(this, size(), QSize(642, 540), QStringLiteral("panContainer"));

    new ShapeWidget(panel, QRect(8, 8, 625, 89), Qt::white, QColor(), QColor(0xF5, 0xDE, 0xB3));
    artLabel(panel, QStringLiteral("imgLogo"), QStringLiteral("guida-banner"), QRect(24, 16, 587, 69),
        QStringLiteral("Guida all'utilizzo del software"));

    m_lblTitolo = new QLabel(QStringLiteral("Argomento della guida."), panel);
    m_lblTitolo->setObjectName(QStringLiteral("lblTitolo"));
    m_lblTitolo->setFont(QFont(QStringLiteral("Arial"), 16, QFont::Bold));
    QPalette crimson = m_lblTitolo->palette();
    crimson.setColor(QPalette::WindowText, QColor(0xDC, 0x14, 0x3C));
    m_lblTitolo->setPalette(crimson);
    m_lblTitolo->move(8, 104);
    m_lblTitolo->adjustSize();

    m_txtGuida = new QPlainTextEdit(panel);
    m_txtGuida->setObjectName(QStringLiteral("txtGuida"));
    m_txtGuida->setGeometry(8, 128, 625, 350);
    m_txtGuida->setReadOnly(true);
    m_txtGuida->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_txtGuida->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_txtGuida->setFont(QFont(QStringLiteral("Verdana"), 12, QFont::Bold));

    auto *imgPDF = new PictureButton(panel, QStringLiteral("imgPDF"), QStringLiteral("link-pdf"), QRect(8, 496, 27, 27),
        QStringLiteral("Visualizza guida in formato PDF"));
    m_lnkWeb = new LinkLabel(
        panel, QStringLiteral("lnkWeb"), QStringLiteral("Visualizza guida in formato PDF"), QPoint(44, 500));
    m_lnkWeb->attachIcon(imgPDF);
    connect(m_lnkWeb, &LinkLabel::clicked, this, &TfrmGuida::lnkWebClick);

    auto *btnChiudi = new QPushButton(QStringLiteral("Chiudi"), panel);
    btnChiudi->setObjectName(QStringLiteral("btnChiudi"));
    btnChiudi->setGeometry(472, 490, 161, 38);
    btnChiudi->setFont(QFont(QStringLiteral("Verdana")));
    connect(btnChiudi, &QPushButton::clicked, this, &TfrmGuida::btnChiudiClick);
    btnChiudi->setFocus();
}

void TfrmGuida::showTopic(QWidget *owner, HelpTopic topic)
{
    TfrmGuida w(owner);
    w.setTopic(topic);
    w.exec();
}

void TfrmGuida::setTopic(HelpTopic topic)
{
    const HelpText help = helpTopic(topic);
    setTopic(help.title, help.text());
}

void TfrmGuida::setTopic(const QString &title, const QString &text)
{
    m_lblTitolo->setText(title);
    m_lblTitolo->adjustSize();
    // The topic keeps CR LF breaks; the text box wants one character per break.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    m_txtGuida->setPlainText(shown);
}

void TfrmGuida::btnChiudiClick()
{
    close();
}

void TfrmGuida::lnkWebClick()
{
    TMisc::Open(Links::manualCommand());
}
