#include "store/table.h"

#include "store/error.h"
#include "store/filter.h"
#include "store/image.h"
#include "store/store.h"

#include <QFileInfo>
#include <algorithm>

namespace zovi {

namespace {

// The value a detail row must carry to belong to the master's current row.
struct Link {
    int column = -1;
    bool numeric = false;
    double number = 0;
    QString text;
    bool none = false; // the master has no current row: the detail shows nothing

    bool matches(const TableImage& image, RowSlot row) const {
        if (none)
            return false;
        const TableImage::CellKind kind = image.kind(row, column);
        if (numeric) {
            if (kind == TableImage::IntegerCell || kind == TableImage::FloatCell)
                return image.number(row, column) == number;
            if (kind == TableImage::TextCell) {
                bool ok = false;
                const double d = image.text(row, column).trimmed().toDouble(&ok);
                return ok && d == number;
            }
            return false;
        }
        return kind == TableImage::TextCell && image.text(row, column) == text;
    }
};

Link MakeLink(const Value& masterValue, int column) {
    Link link;
    link.column = column;
    if (IsNull(masterValue)) {
        link.none = true;
    } else if (const auto* s = std::get_if<QString>(&masterValue)) {
        link.text = *s;
    } else if (const auto* i = std::get_if<qint64>(&masterValue)) {
        link.numeric = true;
        link.number = double(*i);
    } else {
        link.numeric = true;
        link.number = std::get<double>(masterValue);
    }
    return link;
}

} // namespace

// ---- TableHandle: binding ----

TableHandle::TableHandle(const QString& name, QObject* parent) : QObject(parent) {
    setObjectName(name);
    Store::instance().registerHandle(this);
}

TableHandle::~TableHandle() {
    for (TableHandle* d : std::as_const(m_details))
        d->m_master = nullptr;
    if (m_master)
        m_master->m_details.removeAll(this);
    Store::instance().unregisterHandle(this);
}

void TableHandle::requireOpen(const char* operation) const {
    if (!m_image)
        throw StoreError(QStringLiteral("%1: the table %2 is not open (%3).")
                             .arg(objectName().isEmpty() ? QStringLiteral("Table") : objectName(),
                                  QFileInfo(m_path).fileName(), QLatin1String(operation)));
}

void TableHandle::setPath(const QString& path) {
    if (m_image)
        throw StoreError(QStringLiteral("%1: the table must be closed to bind it to another file.")
                             .arg(objectName()));
    m_path = path;
}

void TableHandle::open() {
    if (m_image)
        return;
    if (m_path.isEmpty())
        throw StoreError(QStringLiteral("%1: no table file is bound.").arg(objectName()));
    auto image = Store::instance().acquire(m_path);
    std::shared_ptr<const CompiledFilter> compiled;
    if (!m_filterText.trimmed().isEmpty())
        compiled = image->filter(m_filterText); // a bad filter leaves the handle closed
    m_image = std::move(image);
    m_compiledFilter = std::move(compiled);
    m_mode = Mode::Browse;
    m_buffer.clear();
    m_editedRow.reset();
    rebuildView(false);
    first();
    Q_EMIT viewChanged();
}

bool TableHandle::isReadOnly() const {
    return m_image && m_image->readOnly();
}

void TableHandle::close() {
    if (!m_image)
        return;
    m_mode = Mode::Browse;
    m_buffer.clear();
    m_editedRow.reset();
    m_view.clear();
    m_pos = -1;
    m_eof = m_bof = true;
    m_compiledFilter.reset();
    m_image.reset();
    notifyDetails();
    Q_EMIT viewChanged();
}

// ---- the view ----

Value TableHandle::masterValue() const {
    if (!m_master->isOpen() || m_master->isEmpty() || m_master->mode() == Mode::Insert)
        return Value();
    return m_master->valueAt(m_master->fieldIndex(m_masterField));
}

bool TableHandle::admits(RowSlot row) const {
    if (!m_image->alive(row))
        return false;
    if (masterAttached() &&
        !MakeLink(masterValue(), fieldIndex(m_detailField)).matches(*m_image, row))
        return false;
    return !(m_filtered && m_compiledFilter &&
             !m_compiledFilter->matches(*m_image, row, m_caseInsensitive));
}

void TableHandle::rebuildView(bool keepCurrent) {
    std::optional<RowSlot> current;
    if (keepCurrent && m_pos >= 0 && m_pos < m_view.size())
        current = m_view[m_pos];
    m_image->compact();

    const bool linked = masterAttached();
    const Link link = linked ? MakeLink(masterValue(), fieldIndex(m_detailField)) : Link();
    const CompiledFilter* filter = m_filtered && m_compiledFilter && !m_compiledFilter->admitsAll()
                                       ? m_compiledFilter.get()
                                       : nullptr;
    const bool folded = m_caseInsensitive;

    const TableImage& image = *m_image;
    QList<RowSlot> view;
    view.reserve(qsizetype(image.liveCount()));
    for (const RowSlot row : image.order()) {
        if (!image.alive(row))
            continue;
        if (linked && !link.matches(image, row))
            continue;
        if (filter && !filter->matches(image, row, folded))
            continue;
        view.push_back(row);
    }
    m_view = std::move(view);

    m_pos = -1;
    if (current) {
        const qsizetype at = m_view.indexOf(*current);
        if (at >= 0)
            m_pos = int(at);
    }
    if (m_pos < 0 && !m_view.isEmpty())
        m_pos = 0;
    m_eof = m_bof = m_view.isEmpty();
}

void TableHandle::showRewritten(std::span<const RowSlot> rows) {
    const bool linked = masterAttached();
    const bool filtering = m_filtered && m_compiledFilter && !m_compiledFilter->admitsAll();
    if (linked || filtering) {
        const TableImage& image = *m_image;
        const Link link = linked ? MakeLink(masterValue(), fieldIndex(m_detailField)) : Link();
        const bool folded = m_caseInsensitive;
        // What each written row is now: 1 admitted, 2 dropped, 3 admitted and already shown.
        const RowSlot top = *std::max_element(rows.begin(), rows.end());
        std::vector<quint8> state(size_t(top) + 1, 0);
        for (const RowSlot row : rows) {
            const bool admitted = image.alive(row) && (!linked || link.matches(image, row)) &&
                                  (!filtering || m_compiledFilter->matches(image, row, folded));
            state[row] = admitted ? 1 : 2;
        }
        QList<RowSlot> view;
        view.reserve(m_view.size());
        for (const RowSlot row : std::as_const(m_view)) {
            if (row <= top && state[row] == 2)
                continue;
            if (row <= top && state[row] == 1)
                state[row] = 3;
            view.push_back(row);
        }
        std::vector<RowSlot> added;
        for (const RowSlot row : rows) {
            if (state[row] == 1) {
                added.push_back(row);
                state[row] = 3; // a row given twice joins once
            }
        }
        if (view.size() != m_view.size() || !added.empty()) {
            const auto byRowid = [&image](RowSlot a, RowSlot b) {
                return image.rowid(a) < image.rowid(b);
            };
            std::stable_sort(added.begin(), added.end(), byRowid);
            QList<RowSlot> merged(view.size() + qsizetype(added.size()));
            std::merge(view.begin(), view.end(), added.begin(), added.end(), merged.begin(),
                       byRowid);
            const std::optional<RowSlot> current =
                m_pos >= 0 && m_pos < m_view.size() ? std::optional(m_view[m_pos]) : std::nullopt;
            m_view = std::move(merged);
            m_pos = -1;
            if (current) {
                // The cursor stays on its row, or goes to the row that followed it.
                const qsizetype at = m_view.indexOf(*current);
                m_pos = int(at >= 0 ? at
                                    : std::min(image.placeOfRowid(m_view, image.rowid(*current)),
                                               m_view.size() - 1));
            }
            if (m_pos < 0 && !m_view.isEmpty())
                m_pos = 0;
            m_eof = m_bof = m_view.isEmpty();
        }
    }
    // The current row's fields may have changed: the details follow it again.
    notifyDetails();
    Q_EMIT viewChanged();
}

void TableHandle::setCurrent(int index) {
    const bool moved = index != m_pos;
    m_pos = index;
    if (moved)
        notifyDetails();
}

void TableHandle::notifyDetails() {
    for (TableHandle* d : std::as_const(m_details)) {
        if (d->masterAttached() && d->isOpen())
            d->masterMoved();
    }
}

void TableHandle::masterMoved() {
    if (m_mode != Mode::Browse)
        post();
    rebuildView(false);
    first();
    Q_EMIT viewChanged();
}

void TableHandle::refresh() {
    requireOpen("refresh");
    requireBrowseForMove();
    const int before = m_pos;
    const std::optional<RowSlot> current =
        before >= 0 ? std::optional<RowSlot>(m_view[before]) : std::nullopt;
    rebuildView(true);
    if (!current || m_pos < 0 || m_view[m_pos] != *current)
        notifyDetails();
    Q_EMIT viewChanged();
}

// ---- navigation ----

void TableHandle::requireBrowseForMove() {
    if (m_mode != Mode::Browse)
        post();
}

void TableHandle::first() {
    requireOpen("first");
    requireBrowseForMove();
    m_bof = true;
    m_eof = m_view.isEmpty();
    if (!m_view.isEmpty())
        setCurrent(0);
}

void TableHandle::next() {
    requireOpen("next");
    requireBrowseForMove();
    if (m_pos + 1 < m_view.size()) {
        setCurrent(m_pos + 1);
        m_eof = m_bof = false;
    } else {
        m_eof = true;
    }
}

void TableHandle::prior() {
    requireOpen("prior");
    requireBrowseForMove();
    if (m_pos > 0) {
        setCurrent(m_pos - 1);
        m_eof = m_bof = false;
    } else {
        m_bof = true;
    }
}

void TableHandle::last() {
    requireOpen("last");
    requireBrowseForMove();
    m_eof = true;
    m_bof = m_view.isEmpty();
    if (!m_view.isEmpty())
        setCurrent(int(m_view.size()) - 1);
}

int TableHandle::recNo() const {
    return m_view.isEmpty() ? 0 : m_pos + 1;
}

void TableHandle::setRecNo(int recNo) {
    requireOpen("set record number");
    requireBrowseForMove();
    if (m_view.isEmpty())
        return;
    setCurrent(std::clamp(recNo, 1, int(m_view.size())) - 1);
    m_eof = m_bof = false;
}

// ---- editing ----

void TableHandle::append() {
    requireOpen("append");
    requireBrowseForMove();
    m_buffer.assign(m_image->columns().size(), Value());
    if (masterAttached() && m_master->isOpen() && !m_master->isEmpty()) {
        const int column = fieldIndex(m_detailField);
        const Value mv = m_master->valueAt(m_master->fieldIndex(m_masterField));
        m_buffer[size_t(column)] =
            ValueFromText(ValueText(mv, m_master->fieldType(m_master->fieldIndex(m_masterField))),
                          fieldType(column), m_detailField);
    }
    m_editedRow.reset();
    m_mode = Mode::Insert;
}

void TableHandle::setKey(qint64 key) {
    requireOpen("set key");
    if (m_mode != Mode::Insert || m_image->autoIncColumn() < 0)
        throw StoreError(QStringLiteral("%1: a key can be given only to a row being appended to "
                                        "a keyed table.")
                             .arg(objectName()));
    m_buffer.at(size_t(m_image->autoIncColumn())) = key;
}

void TableHandle::edit() {
    requireOpen("edit");
    if (m_mode != Mode::Browse)
        return;
    if (m_view.isEmpty())
        throw StoreError(QStringLiteral("%1: there is no row to edit.").arg(objectName()));
    const RowSlot row = m_view[m_pos];
    if (!m_image->alive(row))
        throw StoreError(
            QStringLiteral("%1: the row was deleted in the meantime.").arg(objectName()));
    m_editedRow = row;
    m_buffer = m_image->values(row);
    m_mode = Mode::Edit;
}

void TableHandle::post() {
    if (m_mode == Mode::Browse)
        return;
    requireOpen("post");
    if (m_mode == Mode::Insert) {
        // The write comes first; a failure leaves the handle appending, the row not lost.
        const RowSlot row = m_image->insert(m_buffer);
        const qint64 rowid = m_image->rowid(row);
        m_lastInsertedRowid = rowid;
        m_mode = Mode::Browse;
        m_buffer.clear();
        if (admits(row)) {
            // Rows are in ascending rowid order; a new row goes last unless it came with a key
            // of its own.
            const qsizetype index = m_image->placeOfRowid(m_view, rowid);
            m_view.insert(index, row);
            m_pos = -2; // force the details to follow
            setCurrent(int(index));
            m_eof = m_bof = false;
        } else if (m_pos >= m_view.size()) {
            m_pos = int(m_view.size()) - 1;
        }
    } else {
        const RowSlot row = *m_editedRow;
        m_image->update(row, m_buffer);
        m_mode = Mode::Browse;
        m_buffer.clear();
        m_editedRow.reset();
        // A row that no longer matches the filter leaves the view; the cursor stays on the
        // row that followed it.
        if (!admits(row)) {
            const qsizetype at = m_view.indexOf(row);
            if (at >= 0) {
                m_view.removeAt(at);
                m_pos = -2;
                setCurrent(m_view.isEmpty() ? -1 : int(std::min<qsizetype>(at, m_view.size() - 1)));
                m_eof = m_bof = m_view.isEmpty();
            }
        } else {
            notifyDetails();
        }
    }
    Q_EMIT viewChanged();
}

void TableHandle::cancel() {
    m_mode = Mode::Browse;
    m_buffer.clear();
    m_editedRow.reset();
}

void TableHandle::remove() {
    requireOpen("delete");
    if (m_mode == Mode::Insert) {
        cancel();
        return;
    }
    cancel();
    if (m_view.isEmpty())
        throw StoreError(QStringLiteral("%1: there is no row to delete.").arg(objectName()));
    const RowSlot row = m_view[m_pos];
    m_image->remove(row);
    m_view.removeAt(m_pos);
    const int next = m_view.isEmpty() ? -1 : std::min(m_pos, int(m_view.size()) - 1);
    m_pos = -2;
    setCurrent(next);
    m_eof = m_view.isEmpty();
    m_bof = m_view.isEmpty();
    Q_EMIT viewChanged();
}

// ---- fields ----

int TableHandle::fieldCount() const {
    requireOpen("fields");
    return int(m_image->columns().size());
}

QString TableHandle::fieldName(int column) const {
    requireOpen("fields");
    return m_image->columns().at(size_t(column)).name;
}

FieldType TableHandle::fieldType(int column) const {
    requireOpen("fields");
    return m_image->columns().at(size_t(column)).type;
}

int TableHandle::fieldIndex(const QString& name) const {
    requireOpen("fields");
    const int column = m_image->columnIndex(name);
    if (column < 0)
        throw StoreError(QStringLiteral("The table %1 has no field \"%2\".")
                             .arg(QFileInfo(m_path).fileName(), name));
    return column;
}

const QString& TableHandle::columnName(int column) const {
    requireOpen("fields");
    return m_image->columns().at(size_t(column)).name;
}

bool TableHandle::hasField(const QString& name) const {
    return m_image && m_image->columnIndex(name) >= 0;
}

Value TableHandle::valueAt(int column) const {
    requireOpen("read field");
    if (m_mode != Mode::Browse)
        return m_buffer.at(size_t(column));
    if (m_pos < 0 || m_pos >= m_view.size() || column < 0 ||
        size_t(column) >= m_image->columns().size())
        return Value();
    return m_image->value(m_view[m_pos], column);
}

void TableHandle::setValue(int column, Value value) {
    requireOpen("write field");
    if (m_mode == Mode::Browse)
        throw StoreError(QStringLiteral("%1: a field can be written only while editing or "
                                        "appending a row.")
                             .arg(objectName()));
    if (column == m_image->autoIncColumn())
        throw StoreError(QStringLiteral("%1: the field %2 is assigned by the table and cannot be "
                                        "written.")
                             .arg(objectName(), fieldName(column)));
    m_buffer.at(size_t(column)) = std::move(value);
}

QString TableHandle::textAt(int row, int column) const {
    requireOpen("read field");
    return ValueText(m_image->value(m_view.at(row), column), fieldType(column));
}

QDate TableHandle::dateAt(int row, int column) const {
    requireOpen("read field");
    return ValueDate(m_image->value(m_view.at(row), column), fieldType(column), fieldName(column));
}

// ---- filtering ----

std::shared_ptr<const CompiledFilter> TableHandle::compile(const QString& text) const {
    if (text.trimmed().isEmpty())
        return nullptr;
    return m_image->filter(text);
}

void TableHandle::setFilter(const QString& filter) {
    if (filter == m_filterText)
        return;
    if (!m_image) {
        m_filterText = filter;
        return;
    }
    auto compiled = compile(filter); // throws before anything changes
    requireBrowseForMove();
    m_filterText = filter;
    m_compiledFilter = std::move(compiled);
    if (m_filtered) {
        rebuildView(false);
        notifyDetails();
        Q_EMIT viewChanged();
    }
}

void TableHandle::setFiltered(bool filtered) {
    if (filtered == m_filtered)
        return;
    // Without a filter text the switch admits the same rows either way: the view stays.
    if (!m_image || !m_compiledFilter) {
        m_filtered = filtered;
        return;
    }
    requireBrowseForMove();
    m_filtered = filtered;
    rebuildView(false);
    notifyDetails();
    Q_EMIT viewChanged();
}

void TableHandle::setCaseInsensitive(bool caseInsensitive) {
    if (caseInsensitive == m_caseInsensitive)
        return;
    m_caseInsensitive = caseInsensitive;
    if (m_image && m_filtered) {
        requireBrowseForMove();
        rebuildView(false);
        notifyDetails();
        Q_EMIT viewChanged();
    }
}

// ---- master-detail ----

void TableHandle::setMaster(TableHandle* master, const QString& detailField,
                            const QString& masterField) {
    if (m_master)
        m_master->m_details.removeAll(this);
    m_master = master;
    m_detailField = detailField;
    m_masterField = masterField;
    m_masterAttached = true;
    if (m_master)
        m_master->m_details.append(this);
    if (m_image) {
        rebuildView(false);
        Q_EMIT viewChanged();
    }
}

void TableHandle::detachMaster() {
    if (!m_masterAttached)
        return;
    requireBrowseForMove();
    m_masterAttached = false;
    if (m_image) {
        rebuildView(false);
        notifyDetails();
        Q_EMIT viewChanged();
    }
}

void TableHandle::attachMaster() {
    if (m_masterAttached)
        return;
    requireBrowseForMove();
    m_masterAttached = true;
    if (m_image) {
        rebuildView(false);
        notifyDetails();
        Q_EMIT viewChanged();
    }
}

// ---- rollback ----

TableHandle::State TableHandle::saveState() const {
    return State{m_view, m_pos, m_eof, m_bof, m_mode, m_buffer, m_editedRow, m_image};
}

void TableHandle::restoreState(const State& state) {
    m_view = state.view;
    m_pos = state.pos;
    m_eof = state.eof;
    m_bof = state.bof;
    m_mode = state.mode;
    m_buffer = state.buffer;
    m_editedRow = state.editedRow;
    if (m_image != state.image) {
        m_image = state.image;
        m_compiledFilter = m_image ? compile(m_filterText) : nullptr;
    }
    Q_EMIT viewChanged();
}

} // namespace zovi
