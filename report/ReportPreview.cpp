#include "report/ReportPreview.h"

#include "report/ReportOutput.h"
#include "report/engine/ReportPainter.h"
#include "report/engine/ReportTemplate.h"
#include "widgets/FileDialogs.h"
#include "widgets/Messages.h"
#include "widgets/Resources.h"

#include <QAction>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QToolBar>
#include <QVBoxLayout>

namespace {
constexpr double ZoomSteps[] = { 0.25, 0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0, 4.0 };

/**
 * One sheet of paper on the preview's grey desk, drawn once per zoom and kept. A page made on demand
 * is made when it first comes into view and let go once drawn: only its picture at the zoom stays.
 */
class SheetView : public QWidget
{
public:
    SheetView(const PreparedReport &report, qsizetype index, QWidget *parent)
        : QWidget(parent)
        , m_report(report)
        , m_index(index)
    { }

    void setZoom(double zoom)
    {
        m_scale = zoom * logicalDpiX() / 96.0;
        m_cache = QImage();
        const QSizeF mm = m_report.paperMm(m_index);
        setFixedSize((QSizeF(mmToUnits(mm.width()), mmToUnits(mm.height())) * m_scale).toSize());
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const qreal ratio = devicePixelRatioF();
        if (m_cache.isNull()) {
            m_cache = QImage(size() * ratio, QImage::Format_RGB32);
            m_cache.setDevicePixelRatio(ratio);
            m_cache.fill(Qt::white);
            QPainter painter(&m_cache);
            ReportPainter::paintPage(painter, m_report.page(m_index), m_scale);
        }
        QPainter(this).drawImage(0, 0, m_cache);
    }

private:
    const PreparedReport &m_report;
    qsizetype m_index;
    double m_scale = 1.0;
    QImage m_cache;
};

QAction *addTool(QToolBar *bar, QWidget *owner, const QString &art, const QString &text, const QKeySequence &key)
{
    QAction *action = bar->addAction(QIcon(Resources::pixmap(art, QSize(32, 32))), text);
    action->setObjectName(art);
    action->setShortcut(key);
    action->setToolTip(
        key.isEmpty() ? text : text + QStringLiteral(" (") + key.toString(QKeySequence::NativeText) + QLatin1Char(')'));
    owner->addAction(action);
    return action;
}
} // namespace

ReportPreview::ReportPreview(const PreparedReport &report, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint)
    , m_report(report)
{
    setObjectName(QStringLiteral("frmAnteprimaReport"));
    setWindowTitle(QStringLiteral(" Anteprima di stampa - ") + report.name);
    setModal(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("barAnteprima"));
    bar->setIconSize(QSize(32, 32));
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    layout->addWidget(bar);

    connect(addTool(bar, this, QStringLiteral("preview-tool-print"), QStringLiteral("Stampa"), QKeySequence::Print),
        &QAction::triggered, this, &ReportPreview::printReport);
    connect(addTool(bar, this, QStringLiteral("preview-tool-pdf"), QStringLiteral("Salva PDF"), QKeySequence::Save),
        &QAction::triggered, this, &ReportPreview::savePdf);
    bar->addSeparator();
    connect(
        addTool(bar, this, QStringLiteral("preview-tool-zoom-in"), QStringLiteral("Ingrandisci"), QKeySequence::ZoomIn),
        &QAction::triggered, this, &ReportPreview::zoomIn);
    connect(
        addTool(bar, this, QStringLiteral("preview-tool-zoom-out"), QStringLiteral("Riduci"), QKeySequence::ZoomOut),
        &QAction::triggered, this, &ReportPreview::zoomOut);
    connect(addTool(bar, this, QStringLiteral("preview-tool-zoom-100"), QStringLiteral("100 %"),
                QKeySequence(Qt::CTRL | Qt::Key_0)),
        &QAction::triggered, this, [this] { setZoom(1.0); });
    m_fullScreen = addTool(bar, this, QStringLiteral("preview-tool-fullscreen"), QStringLiteral("Schermo intero"),
        QKeySequence(Qt::Key_F11));
    m_fullScreen->setCheckable(true);
    connect(m_fullScreen, &QAction::triggered, this, &ReportPreview::toggleFullScreen);
    bar->addSeparator();
    connect(addTool(bar, this, QStringLiteral("preview-tool-close"), QStringLiteral("Chiudi"), QKeySequence()),
        &QAction::triggered, this, &QDialog::accept);

    auto *spacer = new QWidget(bar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(spacer);
    m_zoomText = new QLabel(bar);
    m_zoomText->setObjectName(QStringLiteral("lblZoom"));
    m_zoomText->setContentsMargins(12, 0, 12, 0);
    bar->addWidget(m_zoomText);

    m_area = new QScrollArea(this);
    m_area->setObjectName(QStringLiteral("scrPagine"));
    m_area->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_area->setBackgroundRole(QPalette::Dark);
    m_area->setWidgetResizable(false);
    layout->addWidget(m_area, 1);

    m_sheets = new QWidget;
    m_sheets->setObjectName(QStringLiteral("panPagine"));
    auto *sheets = new QVBoxLayout(m_sheets);
    sheets->setContentsMargins(24, 24, 24, 24);
    sheets->setSpacing(24);
    sheets->setSizeConstraint(QLayout::SetFixedSize);
    for (qsizetype i = 0; i < m_report.pageCount(); ++i)
        sheets->addWidget(new SheetView(m_report, i, m_sheets), 0, Qt::AlignHCenter);
    m_area->setWidget(m_sheets);
    setZoom(1.0);
}

int ReportPreview::exec()
{
    setWindowState(windowState() | Qt::WindowMaximized);
    return QDialog::exec();
}

void ReportPreview::setZoom(double zoom)
{
    m_zoom = std::clamp(zoom, ZoomSteps[0], ZoomSteps[std::size(ZoomSteps) - 1]);
    for (SheetView *sheet : m_sheets->findChildren<SheetView *>())
        sheet->setZoom(m_zoom);
    m_zoomText->setText(QStringLiteral("%1 %  -  %2 %3")
                            .arg(qRound(m_zoom * 100))
                            .arg(m_report.pageCount())
                            .arg(m_report.pageCount() == 1 ? QStringLiteral("pagina") : QStringLiteral("pagine")));
}

void ReportPreview::zoomIn()
{
    for (double step : ZoomSteps) {
        if (step > m_zoom + 1e-9) {
            setZoom(step);
            return;
        }
    }
}

void ReportPreview::zoomOut()
{
    for (auto it = std::rbegin(ZoomSteps); it != std::rend(ZoomSteps); ++it) {
        if (*it < m_zoom - 1e-9) {
            setZoom(*it);
            return;
        }
    }
}

void ReportPreview::toggleFullScreen()
{
    if (isFullScreen()) {
        showMaximized();
        m_fullScreen->setChecked(false);
    } else {
        showFullScreen();
        m_fullScreen->setChecked(true);
    }
}

void ReportPreview::printReport()
{
    ReportOutput::print(this, m_report);
}

void ReportPreview::savePdf()
{
    const QString path = FileDialogs::saveFile(this, QStringLiteral("Salva come PDF"),
        QStringLiteral("Documento PDF|*.pdf"), m_report.name + QStringLiteral(".pdf"), QStringLiteral("pdf"));
    if (path.isEmpty())
        return;
    if (!ReportPainter::writePdf(m_report, path))
        Msg::error(
            this, QStringLiteral("Impossibile salvare il file PDF: controllare la cartella scelta e riprovare."));
}
