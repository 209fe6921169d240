#pragma once

#include "store/store.h"
#include "store/value.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

namespace zovi {

// The session's list of commands that can be taken back and done again. It is built from what
// the store logs of every transaction, so a command needs no code of its own to be covered:
// while a Recording lives, the rows its transactions change are kept with their values before
// and after, by rowid (the ID of a keyed table). An undo writes every such row back as it was,
// a row that was deleted coming back under its own ID so that every link to it holds again; a
// redo writes them as they were after the command. Each is one transaction: whole or absent.
class CommandHistory : public QObject {
    Q_OBJECT
public:
    static CommandHistory& instance();

    // While a Recording lives, what its transactions commit becomes one step named label
    // ("delete of 'Bread'"). A Recording made while another lives joins it. A step that
    // changed no row is not kept; a new step drops the steps that could be done again.
    class Recording {
    public:
        explicit Recording(const QString& label);
        ~Recording();
        Recording(const Recording&) = delete;
        Recording& operator=(const Recording&) = delete;
    };

    // While an Outside lives, a command that rewrites many entries and stays out of the
    // history (a rename of an account, an import) runs: when it changes any row, the history
    // is cleared with reason, since its steps would no longer fit the rows.
    class Outside {
    public:
        explicit Outside(const QString& reason);
        ~Outside();
        Outside(const Outside&) = delete;
        Outside& operator=(const Outside&) = delete;
    };

    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    QString undoLabel() const;
    QString redoLabel() const;

    // The rows an undo or redo wrote that exist after it, by the table file's path.
    struct Outcome {
        QHash<QString, QList<qint64>> rows;
    };
    // Takes back the last step (undo) or does the last undone one again (redo), in one
    // transaction. Throws StoreError when it cannot be written (nothing changed, the step stays)
    // or when the rows were changed since by something outside the history (the history is
    // dropped: its steps no longer fit the files).
    Outcome undo();
    Outcome redo();

    // Drops every step; reason names what made them unusable ("the import"), for the menu.
    void clear(const QString& reason = {});
    QString clearedReason() const { return m_clearedReason; }

    // Called by the store after the outermost transaction was committed, with its log.
    void committed(const std::vector<Store::UndoRecord>& log) noexcept;

    // The fields the program recomputes on its own (the amounts in the main currency), which
    // may differ from a step's values without the row having been changed by the user.
    static bool IsDerivedField(const QString& file, const QString& field);

Q_SIGNALS:
    void changed();

private:
    struct RowState {
        bool alive = false;
        std::vector<Value> values;
    };
    struct RowChange {
        qint64 rowid = 0;
        RowState before;
        RowState after;
    };
    struct TableChange {
        QString path;
        std::vector<RowChange> rows;
        QHash<qint64, size_t> rowOf; // while recording: the place in rows of each rowid
    };
    struct Step {
        QString label;
        std::vector<TableChange> tables;
    };

    CommandHistory() = default;
    void finishRecording();
    Outcome apply(Step& step, bool undo);

    std::vector<Step> m_undo;
    std::vector<Step> m_redo;
    QString m_clearedReason;
    int m_recordings = 0;
    QStringList m_outside; // the reasons of the Outside scopes alive, the innermost last
    bool m_applying = false;
    Step m_pending;
};

} // namespace zovi
