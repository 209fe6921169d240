#pragma once

#include "store/schema.h"
#include "store/value.h"

#include <QDate>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace zovi {

class TableImage;
class CompiledFilter;
class TableHandle;

// A field of a handle's current row (or of the row being edited or appended), read and written
// in the forms the logic uses. Writing requires the handle to be in edit or append mode.
class FieldRef {
public:
    FieldRef(TableHandle* handle, int column) : m_handle(handle), m_column(column) {}

    QString name() const;
    FieldType type() const;
    bool isNull() const;

    QString text() const;
    double toDouble() const;
    qint64 toInt() const;
    QDate toDate() const;
    bool toBool() const;
    QVariant toVariant() const;

    void setText(const QString& text) const;
    void setDouble(double value) const;
    void setInt(qint64 value) const;
    void setDate(const QDate& date) const;
    void setBool(bool value) const;
    void setVariant(const QVariant& value) const;
    // A stored value; one held in another form is converted as the typed setters would.
    void setValue(Value value) const;
    void clear() const;

private:
    TableHandle* m_handle;
    int m_column;
};

// The rows a handle's view held when they were taken, kept apart from the handle: reading them
// never moves a cursor, and they stay readable however the view changes later (a row shows its
// current values, a deleted row its last ones). Indexes count from 0 in the view's order.
class ViewRows {
public:
    ViewRows() = default;

    int size() const { return int(m_rows.size()); }
    // The column of a field, by name without regard to letter case; an unknown name throws.
    int fieldIndex(const QString& name) const;
    FieldType fieldType(int column) const;

    Value value(int index, int column) const;
    // As FieldRef reads them.
    QString text(int index, int column) const;
    double toDouble(int index, int column) const;
    qint64 toInt(int index, int column) const;
    QDate toDate(int index, int column) const;
    // The text of a text field without a copy; null for an empty field. Valid while this object
    // lives.
    const QString* textRef(int index, int column) const;
    // The index of the row whose key is key (its ID in a table keyed by an autoincrement ID,
    // else its rowid), found without reading every row; -1 when none.
    int indexOfKey(qint64 key) const;

private:
    friend class TableHandle;
    std::shared_ptr<const TableImage> m_image;
    QList<RowSlot> m_rows;
};

// A cursor over one table file: the ordered rows its filter and master-detail binding admit,
// and a current row. Every handle on the same file shares one in-memory image of its rows;
// reads come from the image, writes go through SQLite first and reach the image only when they
// succeeded. Other handles see a posted row after their refresh().
class TableHandle : public QObject {
    Q_OBJECT

public:
    enum class Mode { Browse, Edit, Insert };

    explicit TableHandle(const QString& name = QString(), QObject* parent = nullptr);
    ~TableHandle() override;

    // Binding (while closed), opening and closing. Opening a file that does not exist, a locked
    // file or a file that is not one of our tables throws; the handle stays closed.
    void setPath(const QString& path);
    QString path() const { return m_path; }
    void open();
    void close();
    bool isOpen() const { return m_image != nullptr; }
    // True when the open table cannot be written (its file or folder is read-only).
    bool isReadOnly() const;

    // Navigation over the view. Moving while editing posts the edit first.
    void first();
    void next();
    void prior();
    void last();
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    bool isEmpty() const { return m_view.isEmpty(); }
    int recordCount() const { return int(m_view.size()); }
    int recNo() const; // 1-based position of the current row; 0 when empty
    void setRecNo(int recNo);

    // Editing. append() starts a new row (fields null, a detail's link field set from its
    // master); post() writes it, and its autoincrement ID is readable at once. remove() deletes
    // the current row and leaves the cursor on the following row, or on the new last row.
    void append();
    void edit();
    void post();
    // The rowid of the row the last post of this handle inserted (for a table keyed by an
    // autoincrement ID, its ID), whether or not the view admits it; 0 before any insert.
    qint64 lastInsertedRowid() const { return m_lastInsertedRowid; }
    void cancel();
    void remove();
    // Gives the row being appended the key it is to keep, instead of the next one the table
    // would assign (rows brought over from another database keep their numbers); a key the
    // table already holds makes the post fail.
    void setKey(qint64 key);
    Mode mode() const { return m_mode; }

    // Writes one field of many rows as one write of the store (TableImage::setColumn): the
    // rows of the view at indexes (0-based, in the view's order), values holding one value for
    // each index or one for all. Every handle on the table then shows the new values, each
    // once: the rows its filter or master now admits or drops join or leave its view, and it
    // emits viewChanged once. Returns the number of rows whose field changed.
    int setFieldAt(std::span<const int> indexes, int column, std::span<const Value> values);
    // Writes to into the field of every row of the table, shown by this view or not, whose
    // field holds from exactly and, when where is given, that where admits: it is given every
    // row of the table and the row's index among them. One write, shown as setFieldAt shows it.
    int rewriteField(int column, const Value& from, const Value& to,
                     const std::function<bool(const ViewRows& rows, int index)>& where = {});

    // Fields, by name without regard to letter case. An unknown name throws.
    int fieldCount() const;
    QString fieldName(int column) const;
    FieldType fieldType(int column) const;
    int fieldIndex(const QString& name) const;
    bool hasField(const QString& name) const;
    FieldRef field(const QString& name) { return FieldRef(this, fieldIndex(name)); }
    FieldRef field(int column) { return FieldRef(this, column); }

    // The text of a field of the view's row at index (0-based), as FieldRef::text gives it.
    QString textAt(int row, int column) const;
    // The date of a field of the view's row at index; an invalid date when it is null.
    QDate dateAt(int row, int column) const;

    // The rows of the view as they are now.
    ViewRows viewRows() const;

    // The 0-based place in the view of the row whose key is key (its ID in a table keyed by an
    // autoincrement ID, else its rowid), found without reading every row; -1 when the view does
    // not hold it or the table is closed. locate and lookup on the ID field search the same way.
    int indexOfKey(qint64 key) const;

    // locate moves to the first row of the view whose field equals value exactly (letter case
    // counts) and reports whether there was one. lookup returns the result field of that row
    // without moving, or a null QVariant.
    bool locate(const QString& field, const QVariant& value);
    QVariant lookup(const QString& keyField, const QVariant& value, const QString& resultField);

    // Filtering. A bad filter text (unknown field, bad literal, bad syntax) throws and leaves
    // the handle as it was.
    void setFilter(const QString& filter);
    QString filter() const { return m_filterText; }
    void setFiltered(bool filtered);
    bool filtered() const { return m_filtered; }
    void setCaseInsensitive(bool caseInsensitive);
    bool caseInsensitive() const { return m_caseInsensitive; }

    // Master-detail: the view holds only the rows whose detailField equals the master's current
    // masterField, and follows the master's current row. detachMaster() shows every row (as the
    // filter allows) until attachMaster().
    void setMaster(TableHandle* master, const QString& detailField, const QString& masterField);
    void detachMaster();
    void attachMaster();
    TableHandle* master() const { return m_master; }
    bool masterAttached() const { return m_master != nullptr && m_masterAttached; }

    // Recomputes the view from the shared image, picking up rows posted through other handles;
    // the cursor stays on the same row when it is still visible.
    void refresh();

Q_SIGNALS:
    // The set or order of visible rows changed (open, close, refresh, filter, post, remove).
    void viewChanged();

private:
    qint64 m_lastInsertedRowid = 0;
    friend class FieldRef;
    friend class Store;

    // What a rollback gives back to a handle: its view, cursor and editing state.
    struct State {
        QList<RowSlot> view;
        int pos;
        bool eof, bof;
        Mode mode;
        std::vector<Value> buffer;
        std::optional<RowSlot> editedRow;
        std::shared_ptr<TableImage> image;
    };

    void requireOpen(const char* operation) const;
    void requireBrowseForMove();
    Value valueAt(int column) const;
    const QString& columnName(int column) const;
    void setValue(int column, Value value);
    void rebuildView(bool keepCurrent);
    // The first position of the view whose field equals target as locate compares; -1 when none.
    qsizetype findInView(int column, const Value& target) const;
    bool admits(RowSlot row) const;
    Value masterValue() const; // null when the master has no current row
    void setCurrent(int index);
    void notifyDetails();
    void masterMoved();
    std::shared_ptr<const CompiledFilter> compile(const QString& text) const;
    State saveState() const;
    void restoreState(const State& state);
    // Writes one field of rows of the table and brings every handle on it up to date.
    int writeColumn(std::span<const RowSlot> rows, int column, std::span<const Value> values);
    // Shows rows that another write changed: those the view now admits or drops join or leave
    // it, the cursor staying on its row (or the row that followed it).
    void showRewritten(std::span<const RowSlot> rows);

    QString m_path;
    std::shared_ptr<TableImage> m_image;

    QList<RowSlot> m_view; // rows of m_image
    int m_pos = -1;
    bool m_eof = true;
    bool m_bof = true;

    Mode m_mode = Mode::Browse;
    std::vector<Value> m_buffer;        // the row being edited or appended
    std::optional<RowSlot> m_editedRow; // the row being edited

    QString m_filterText;
    std::shared_ptr<const CompiledFilter> m_compiledFilter;
    bool m_filtered = false;
    bool m_caseInsensitive = false;

    TableHandle* m_master = nullptr;
    QString m_detailField;
    QString m_masterField;
    bool m_masterAttached = true;
    QList<TableHandle*> m_details;
};

} // namespace zovi
