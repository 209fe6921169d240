#pragma once

#include "store/table.h"

#include <QAbstractTableModel>
#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace zovi {

struct Currency;

// One row of the ledger grid, built from an entry of the filtered ledger view.
struct LedgerRow {
    QString mark; // sign ("+", "-", " ") and day flag ("T" today, "D" before, "P" after)
    QDate date;
    QString name;
    QString income; // the income cell
    QString charge; // the charge cell
    QString group;  // Gr2 for incomes and charges, else the kind's label
    QString subGroup;
    QString account;
    qint64 id = 0;
    QString balance; // the running balance after the entry, with the sign of its currency
};

// The running balance column of the grid: the entries it is counted over, the balance after
// each of them (by its index there), and the sign of the currency it is counted in.
struct RunningBalanceColumn {
    ViewRows rows;
    std::vector<double> after;
    QString sign;
};

// What the money cells show besides the stored texts: up to two display currencies, each with
// its sign and a conversion of an entry's amount into it (empty when it cannot be converted).
struct DisplayCurrency {
    QString name; // empty for none ("-/-")
    QString sign;
    std::function<std::optional<double>(double value, const QString& currency)> convert;
};

// The display currency named name among currencies, converting from any of them; none (empty
// name) when no currency has that name, as for "-/-".
DisplayCurrency DisplayCurrencyFor(const QList<Currency>& currencies, const QString& name);

struct LedgerGridOptions {
    int sortIndex = 0;       // 0 date (or none), 1 name, 2 group, 3 sub-group, 4 account
    bool descending = false; // the order reversed, last row first
    QDate today;
    DisplayCurrency first;
    DisplayCurrency second;
    std::function<QString(const QString& type)> kindLabel; // the translated label of a kind
    // The running balances; none leaves the balance cells empty.
    std::shared_ptr<const RunningBalanceColumn> balances;
};

// The grid's order: one of the sort box's orders, ascending or reversed.
struct LedgerSort {
    int sortIndex = 0; // as LedgerGridOptions::sortIndex
    bool descending = false;

    friend bool operator==(const LedgerSort&, const LedgerSort&) = default;
};

// The sort box's order of a grid column (1 date, 2 name, 5 group, 6 sub-group, 7 account), -1
// for a column that is none of its orders; and the column of an order.
int SortIndexOfColumn(int column);
int ColumnOfSortIndex(int sortIndex);

// The order after a click on a column's header: that column's order ascending, or reversed
// when it already is the order; a column that is none of the orders leaves the order as it is.
LedgerSort SortAfterHeaderClick(const LedgerSort& current, int column);

// The grid's rows over the ledger view: one row per entry, ordered by the chosen key exactly as
// the program's exchange sort orders them. Only the keys are read when it is made; a row's texts
// are made when it is asked for, so that a grid over a million entries formats only the rows on
// screen.
class LedgerRowSource {
public:
    LedgerRowSource(ViewRows rows, LedgerGridOptions options);

    int size() const { return int(m_order.size()); }
    LedgerRow row(int index) const;
    qint64 id(int index) const;
    // The position of the entry with this ID; -1 when it is not shown. The view holds its rows
    // in the order of their IDs (the store reads a table in rowid order and gives a new row a
    // greater ID than every other), so the entry's view row is found by a binary search; the
    // first call builds the grid row of every view row.
    int indexOf(qint64 id) const;

private:
    const QString& kindLabel(const QString& type) const;
    void reverseIfDescending();
    QChar dayFlag(const QDate& date) const;

    ViewRows m_rows;
    LedgerGridOptions m_options;
    std::vector<int> m_order; // the view's index of each grid row
    // The grid row of each view row, built on the first indexOf.
    mutable std::vector<int> m_gridRowOf;
    int fDate, fName, fGr1, fGr2, fType, fDohod, fRashod, fSub, fValue, fValuta, fId;
    QString m_todayText;
    // Looked up once per day and per kind, not once per row; a kind's label stays where it is
    // (the text order keeps pointers to it).
    mutable QHash<qint64, QChar> m_dayFlags;
    mutable std::map<QString, QString> m_kindLabels;
};

// Every row of the grid over the ledger view, formatted.
std::vector<LedgerRow> BuildLedgerRows(TableHandle& ledger, const LedgerGridOptions& options);

// How a cell of the ledger grid is drawn: colours as 0xRRGGBB. Records are counted from 0; the
// first record sits on the grid's row 1 (odd), which has the tinted background. On a dark
// surface (a dark skin) the rows are dark and the texts light, in the same kinds of colour.
struct LedgerCellStyle {
    quint32 background;
    quint32 text;
    bool bold;
    bool lines; // the selected row's lines along the top and bottom edges
};
LedgerCellStyle CellStyleFor(const QString& mark, int record, bool selected, bool dark = false);

// The grid's model: columns 0 (mark, hidden) to 8 (ID, hidden) as the grid shows them, and 9,
// the running balance, after them. The
// mark is offered under MarkRole so that the delegate can colour and embolden the row.
class LedgerGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Roles { MarkRole = Qt::UserRole + 1, IdRole };
    static constexpr int kBalanceColumn = 9;
    explicit LedgerGridModel(QObject* parent = nullptr);

    void setRows(std::vector<LedgerRow> rows);
    // Rows formatted when they are shown.
    void setSource(std::shared_ptr<const LedgerRowSource> source);
    // The row at index, formatted; index must be below rowCount().
    LedgerRow rowAt(int index) const;
    // The grid row of the entry with this ID; -1 when it is not shown.
    int rowOfId(qint64 id) const;
    void setHeaders(const QStringList& headers); // texts of columns 1 to 7, then of column 9

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    const LedgerRow& cachedRow(int index) const;

    std::vector<LedgerRow> m_rows;
    std::shared_ptr<const LedgerRowSource> m_source;
    // The rows last formatted from the source: a view asks for every cell of a row in turn.
    static constexpr int kCacheSize = 256;
    mutable std::vector<std::pair<int, LedgerRow>> m_cache;
    // The row of each ID among the rows set by setRows, built on the first rowOfId.
    mutable QHash<qint64, int> m_rowOfId;
    QStringList m_headers;
};

} // namespace zovi
