#pragma once

#include <QString>

#include <memory>

class QProgressDialog;
class QWidget;

/**
 * The program's window for long work: a label saying how far the work got, a bar and Annulla. It is
 * made at the first step that needs it, so short work never flashes a window, and it is modal so
 * nothing else changes what is being written or printed.
 */
class ProgressWindow
{
public:
    ProgressWindow(QWidget *parent, const QString &objectName, const QString &title, const QString &accessibleName);
    ~ProgressWindow();
    ProgressWindow(const ProgressWindow &) = delete;
    ProgressWindow &operator=(const ProgressWindow &) = delete;

    /**
     * Shows `label` with `done` of `total` finished and lets the program breathe; false when the user
     * pressed Annulla since the last step.
     */
    bool step(qint64 done, qint64 total, const QString &label);
    /** Whether Annulla has been pressed, for work that stops at once rather than at the next step. */
    bool canceled() const;

private:
    QWidget *m_parent;
    QString m_objectName;
    QString m_title;
    QString m_accessibleName;
    std::unique_ptr<QProgressDialog> m_dialog;
};
