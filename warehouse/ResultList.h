#pragma once

#include "report/engine/ReportTemplate.h"
#include "warehouse/rules/ListFind.h"
#include "warehouse/rules/ResultScan.h"

#include <QAbstractListModel>
#include <QFont>
#include <QWidget>

#include <vector>

class QLabel;
class QLineEdit;
class QListView;
class QPushButton;

/**
 * The lines of a result list, each with the number of the record it shows, kept in the order of
 * the program's lists. Shown in Courier New 12, black, one fixed-width item per line.
 */
class ResultListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    /** The width of every item, so that a whole line can be scrolled into view. */
    static constexpr int ItemWidth = 1600;

    explicit ResultListModel(QObject *parent = nullptr);

    /** Replaces the lines and sorts them once. */
    void setEntries(ResultLines lines);
    void clear();
    const ResultLines &entries() const { return m_lines; }
    QString lineAt(int row) const { return m_lines.line(row); }
    qint64 recordAt(int row) const { return m_lines.record(row); }
    /** The record numbers of the lines, in the list's order. */
    std::vector<qint64> records() const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    ResultLines m_lines;
    QFont m_font;
    QSize m_itemSize;
};

/**
 * The results panel `panContainer` shared by the search, the import and the two lists: banner, find
 * box, sorted list, "Chiudi" and "Stampa", and the count text where the window has one. It runs the
 * in-list find and the list print; a double click on an entry is handed to the window.
 */
class ResultPanel : public QWidget
{
    Q_OBJECT
public:
    /** `banner` names the artwork of `imgLogo`; `withCount` adds the count label `lblTrovate`. */
    ResultPanel(QWidget *window, const QRect &geometry, const QString &banner, bool withCount);

    ResultListModel *model() const { return m_model; }
    QListView *list() const { return m_list; }
    QLineEdit *findBox() const { return m_txtTrova; }

    /** Shows `entries` sorted, none selected, with the count text when there is one. */
    void showEntries(ResultLines entries);
    /** Forgets the find key, empties the find box and selects the first entry, if any. */
    void resetFind();
    /** The title the list print carries. */
    void setReportTitle(const QString &title) { m_reportTitle = title; }

    void btnTrovaClick();
    void btnStampaClick();

signals:
    /** A double click on the entry of record `record`. */
    void recordChosen(qint64 record);
    void closeRequested();

private:
    void addPriceChangeAction();
    void selectRow(int row);
    int selectedRow() const;

    ResultListModel *m_model;
    QListView *m_list;
    QLineEdit *m_txtTrova;
    QPushButton *m_btnTrova;
    QLabel *m_lblTrovate = nullptr;
    ListFind m_find;
    QString m_reportTitle;
    ReportTemplate m_frxReport; // the list report, filled anew for every print
};
