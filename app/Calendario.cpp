#include "app/Calendario.h"

#include "storage/Clock.h"
#include "storage/FieldRules.h"
#include "widgets/ShapeWidget.h"

#include <QCalendarWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TfrmCalendario::TfrmCalendario(QWidget *owner)
    : DialogWindow(owner, QStringLiteral(" Importazione data"), QSize(253, 294), Qt::white, QColor("#4682B4"))
{
    setObjectName(QStringLiteral("frmCalendario"));

    auto *caption = new QLabel(QStringLiteral("Importare una data:"), this);
    caption->setFont(QFont(QStringLiteral("Verdana"), 9));
    caption->move(12, 8);
    caption->adjustSize();

    auto *patch = new ShapeWidget(this, QRect(20, 36, 190, 172), QColor("#D3D3D3"));
    patch->setObjectName(QStringLiteral("shpCalendario"));
    calAppuntamenti = new QCalendarWidget(this);
    calAppuntamenti->setObjectName(QStringLiteral("calAppuntamenti"));
    calAppuntamenti->setGeometry(24, 40, 182, 164);
    calAppuntamenti->setFont(QFont(QStringLiteral("Verdana"), 7));
    calAppuntamenti->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    calAppuntamenti->setHorizontalHeaderFormat(QCalendarWidget::SingleLetterDayNames);
    calAppuntamenti->setSelectedDate(Clock::today());

    btnAnnulla = new QPushButton(QStringLiteral("Annulla"), this);
    btnAnnulla->setObjectName(QStringLiteral("btnAnnulla"));
    btnAnnulla->setGeometry(12, 224, 96, 28);
    btnImportaData = new QPushButton(QStringLiteral("Importa"), this);
    btnImportaData->setObjectName(QStringLiteral("btnImportaData"));
    btnImportaData->setGeometry(122, 224, 96, 28);
    lblMemory = new QLabel(this);
    lblMemory->setObjectName(QStringLiteral("lblMemory"));
    lblMemory->hide();

    connect(btnImportaData, &QPushButton::clicked, this, &TfrmCalendario::btnImportaDataClick);
    connect(btnAnnulla, &QPushButton::clicked, this, &TfrmCalendario::btnAnnullaClick);
}

void TfrmCalendario::setTarget(QLineEdit *box)
{
    m_target = box;
    lblMemory->setText(QStringLiteral("datasca"));
}

void TfrmCalendario::btnImportaDataClick()
{
    if (lblMemory->text() != QLatin1String("datasca") || !m_target)
        return;
    m_target->setText(formatDate(calAppuntamenti->selectedDate()));
    accept();
}

void TfrmCalendario::btnAnnullaClick()
{
    reject();
}
