#include "widgets/ProgressWindow.h"

#include "widgets/DialogWindow.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QProgressDialog>

ProgressWindow::ProgressWindow(
    QWidget *parent, const QString &objectName, const QString &title, const QString &accessibleName)
    : m_parent(parent)
    , m_objectName(objectName)
    , m_title(title)
    , m_accessibleName(accessibleName)
{ }

ProgressWindow::~ProgressWindow() = default;

bool ProgressWindow::step(qint64 done, qint64 total, const QString &label)
{
    // The bar counts in thousandths, so any total fits its int range.
    constexpr int kScale = 1000;
    if (!m_dialog) {
        m_dialog = std::make_unique<QProgressDialog>(m_parent);
        m_dialog->setObjectName(m_objectName);
        m_dialog->setWindowTitle(m_title);
        m_dialog->setAccessibleName(m_accessibleName);
        m_dialog->setCancelButtonText(QStringLiteral("Annulla"));
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setAutoReset(false);
        m_dialog->setAutoClose(false);
        m_dialog->setMinimumDuration(0);
        m_dialog->setMaximum(kScale);
        m_dialog->setLabelText(label);
        // Wide enough for the whole title beside the title-bar buttons, and for a label that grows.
        const QFontMetrics title(QGuiApplication::font());
        m_dialog->setMinimumWidth(std::max(360, title.horizontalAdvance(m_title) + 160));
        m_dialog->adjustSize();
        const QRect area = centringArea(m_parent);
        if (area.isValid())
            m_dialog->move(area.center() - m_dialog->rect().center());
        m_dialog->show();
    }
    if (m_dialog->wasCanceled())
        return false;
    m_dialog->setLabelText(label);
    m_dialog->setAccessibleDescription(label);
    m_dialog->setValue(total > 0 ? int(done * kScale / total) : 0);
    QCoreApplication::processEvents();
    // Annulla pressed just now stops the work at the next step: the step announced is done first.
    return true;
}

bool ProgressWindow::canceled() const
{
    return m_dialog && m_dialog->wasCanceled();
}
