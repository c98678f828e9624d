#pragma once

#include "report/engine/PreparedReport.h"

#include <QObject>

#include <optional>

class QCheckBox;
class QLabel;
class QRadioButton;
class QWidget;
class TfrmListinoPrezzi;

/**
 * The choice between the page shown and the whole list, with its index option and status line,
 * placed under the buttons of a page print window; and the whole-list report it asks for.
 */
class WholeListChoice : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WholeListChoice)
public:
    /** How much taller the print window is to hold the choice. */
    static constexpr int ExtraHeight = 104;

    /** Adds the controls to `window`, which prints from the page editor `editor`. */
    WholeListChoice(QWidget *window, TfrmListinoPrezzi *editor, const QString &verb);

    bool wholeList() const;

    /**
     * The whole list, after asking to save the page on screen when it differs from its saved version;
     * nothing when the question is cancelled, the save fails or the list cannot be read (reported).
     */
    std::optional<PreparedReport> prepare();

private:
    QString listPath() const;
    /** True when the editor's boxes differ from the saved page they show (or show a new page with text). */
    bool editorHasUnsavedChanges() const;

    QWidget *m_window;
    TfrmListinoPrezzi *m_editor;
    QString m_verb;
    QRadioButton *optPagina;
    QRadioButton *optListino;
    QCheckBox *chkIndice;
    QLabel *panInfo;
};
