#include "store/history.h"

#include "core/lang.h"

#include "store/error.h"
#include "store/image.h"
#include "store/transaction.h"

#include <QFileInfo>
#include <map>
#include <memory>

namespace zovi {

CommandHistory& CommandHistory::instance() {
    static CommandHistory history;
    return history;
}

CommandHistory::Recording::Recording(const QString& label) {
    CommandHistory& history = instance();
    if (history.m_recordings++ == 0)
        history.m_pending = Step{label, {}};
}

CommandHistory::Recording::~Recording() {
    CommandHistory& history = instance();
    if (--history.m_recordings == 0)
        history.finishRecording();
}

CommandHistory::Outside::Outside(const QString& reason) {
    instance().m_outside.append(reason);
}

CommandHistory::Outside::~Outside() {
    instance().m_outside.removeLast();
}

QString CommandHistory::undoLabel() const {
    return m_undo.empty() ? QString() : m_undo.back().label;
}

QString CommandHistory::redoLabel() const {
    return m_redo.empty() ? QString() : m_redo.back().label;
}

bool CommandHistory::IsDerivedField(const QString& file, const QString& field) {
    // The amounts in the main currency: recomputed whenever a rate changes.
    static const QHash<QString, QStringList> derived{
        {QStringLiteral("data.db"), {QStringLiteral("indol")}},
        {QStringLiteral("credit.db"), {QStringLiteral("value"), QStringLiteral("valuestr")}},
        {QStringLiteral("valuta.db"), {QStringLiteral("value"), QStringLiteral("valuestr")}},
    };
    return derived.value(QFileInfo(file).fileName().toLower()).contains(field.toLower());
}

void CommandHistory::committed(const std::vector<Store::UndoRecord>& log) noexcept {
    if (m_applying || log.empty())
        return;
    if (m_recordings == 0) {
        if (!m_outside.isEmpty())
            clear(m_outside.last());
        return;
    }
    // The records of each changed row, rows in the order of their first change.
    std::map<std::pair<const TableImage*, RowSlot>, std::vector<const Store::UndoRecord*>> byRow;
    std::vector<std::pair<const TableImage*, RowSlot>> order;
    for (const Store::UndoRecord& record : log) {
        auto& records = byRow[{record.image.get(), record.row}];
        if (records.empty())
            order.emplace_back(record.image.get(), record.row);
        records.push_back(&record);
    }
    for (const auto& key : order) {
        const std::vector<const Store::UndoRecord*>& records = byRow[key];
        const TableImage& image = *records.front()->image;
        const RowSlot row = key.second;
        RowState after{image.alive(row), image.values(row)};
        // The row before the command: the cells the changes overwrote, the latest first.
        RowState before = after;
        for (auto it = records.rbegin(); it != records.rend(); ++it) {
            before.alive = (*it)->before.alive;
            for (const RowCells::Cell& cell : (*it)->before.cells)
                before.values[cell.column] = image.cellValue(cell);
        }
        auto table = std::find_if(m_pending.tables.begin(), m_pending.tables.end(),
                                  [&](const TableChange& t) { return t.path == image.path(); });
        if (table == m_pending.tables.end())
            table =
                m_pending.tables.insert(m_pending.tables.end(), TableChange{image.path(), {}, {}});
        const qint64 rowid = image.rowid(row);
        // A row changed again (a later transaction, or another row under the same rowid)
        // keeps the state it had before the first change. Rows are found by rowid in a hash:
        // a command may change many thousands of them.
        const auto known = table->rowOf.constFind(rowid);
        if (known == table->rowOf.cend()) {
            table->rowOf.insert(rowid, table->rows.size());
            table->rows.push_back(RowChange{rowid, std::move(before), std::move(after)});
        } else {
            table->rows[*known].after = std::move(after);
        }
    }
}

void CommandHistory::finishRecording() {
    Step step = std::move(m_pending);
    m_pending = Step{};
    for (TableChange& table : step.tables) {
        table.rowOf.clear();
        std::erase_if(table.rows, [](const RowChange& c) {
            return c.before.alive == c.after.alive &&
                   (!c.before.alive || c.before.values == c.after.values);
        });
    }
    std::erase_if(step.tables, [](const TableChange& t) { return t.rows.empty(); });
    if (step.tables.empty())
        return;
    m_undo.push_back(std::move(step));
    m_redo.clear();
    m_clearedReason.clear();
    Q_EMIT changed();
}

void CommandHistory::clear(const QString& reason) {
    if (m_undo.empty() && m_redo.empty() && reason == m_clearedReason)
        return;
    m_undo.clear();
    m_redo.clear();
    m_clearedReason = reason;
    Q_EMIT changed();
}

CommandHistory::Outcome CommandHistory::undo() {
    if (m_undo.empty())
        return {};
    Outcome outcome = apply(m_undo.back(), true);
    m_redo.push_back(std::move(m_undo.back()));
    m_undo.pop_back();
    Q_EMIT changed();
    return outcome;
}

CommandHistory::Outcome CommandHistory::redo() {
    if (m_redo.empty())
        return {};
    Outcome outcome = apply(m_redo.back(), false);
    m_undo.push_back(std::move(m_redo.back()));
    m_redo.pop_back();
    Q_EMIT changed();
    return outcome;
}

CommandHistory::Outcome CommandHistory::apply(Step& step, bool undo) {
    // The images are read before the transaction, which may open no file.
    std::vector<std::shared_ptr<TableImage>> images;
    for (const TableChange& table : step.tables)
        images.push_back(Store::instance().acquire(table.path));

    // The rows must be as the step left them; a change made since outside the history (a
    // rename of an account, say) would otherwise be overwritten.
    for (size_t t = 0; t < step.tables.size(); ++t) {
        const TableImage& image = *images[t];
        for (const RowChange& change : step.tables[t].rows) {
            const RowState& expected = undo ? change.after : change.before;
            const std::optional<RowSlot> row = image.liveRow(change.rowid);
            bool same = row.has_value() == expected.alive;
            for (size_t c = 0; same && row && c < image.columns().size(); ++c) {
                same = image.value(*row, int(c)) == expected.values[c] ||
                       IsDerivedField(image.path(), image.columns()[c].name);
            }
            if (!same) {
                clear();
                throw StoreError(LangText(QStringLiteral("undostale"),
                                          QStringLiteral("The entries were changed since; this "
                                                         "cannot be undone.")));
            }
        }
    }

    Outcome outcome;
    m_applying = true;
    try {
        Transaction transaction;
        for (size_t t = 0; t < step.tables.size(); ++t) {
            TableImage& image = *images[t];
            QList<qint64>& written = outcome.rows[image.path()];
            for (const RowChange& change : step.tables[t].rows) {
                const RowState& target = undo ? change.before : change.after;
                const std::optional<RowSlot> row = image.liveRow(change.rowid);
                if (!target.alive) {
                    if (row)
                        image.remove(*row);
                    continue;
                }
                if (row)
                    image.update(*row, target.values);
                else
                    image.insertAt(change.rowid, target.values);
                written << change.rowid;
            }
        }
        transaction.commit();
    } catch (...) {
        m_applying = false;
        throw;
    }
    m_applying = false;
    return outcome;
}

} // namespace zovi
