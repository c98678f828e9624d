#pragma once

#include "report/engine/PreparedReport.h"

#include <QDialog>

class QAction;
class QLabel;
class QScrollArea;
class QVBoxLayout;

/**
 * The preview window: the prepared pages one below the other at their real size, with print, save
 * as PDF, zoom, full screen and close. Modal and maximised; the pages cannot be changed here.
 */
class ReportPreview : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReportPreview)
public:
    explicit ReportPreview(const PreparedReport &report, QWidget *parent = nullptr);

    /** 1.0 shows the paper at its real size. */
    double zoom() const { return m_zoom; }
    void setZoom(double zoom);

    void printReport();
    void savePdf();
    void zoomIn();
    void zoomOut();
    void toggleFullScreen();

    int exec() override;

private:
    PreparedReport m_report;
    double m_zoom = 1.0;
    QScrollArea *m_area;
    QWidget *m_sheets;
    QLabel *m_zoomText;
    QAction *m_fullScreen;
};
