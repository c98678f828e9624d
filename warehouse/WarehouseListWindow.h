#pragma once

#include "warehouse/rules/ResultLine.h"
#include "widgets/DialogWindow.h"

#include <functional>

class ResultPanel;

/**
 * A list of the cards that need attention, built when the window is shown: the results panel of
 * the search with a fixed criterion instead of search boxes. The under-stock and unpaid lists are
 * this window with their own texts.
 */
class WarehouseListWindow : public DialogWindow
{
    Q_OBJECT
public:
    struct Kind
    {
        QString caption;
        QString banner; ///< artwork of the banner
        LineLayout layout;
        std::function<bool(const char *record)> listed;
        QString reportTitle;
    };

    WarehouseListWindow(QWidget *owner, const Kind &kind);

protected:
    void formShow() override;
    void done(int result) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void lstRecordsDblClick(qint64 record);

    Kind m_kind;
    ResultPanel *m_results;
};
