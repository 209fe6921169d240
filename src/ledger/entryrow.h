#pragma once

#include "store/datamodules.h"
#include "store/error.h"
#include "store/table.h"
#include "store/unfiltered.h"

#include <QString>
#include <QtGlobal>

namespace zovi {

// The one way the ledger commands find the entry they act on: by its ID among all entries,
// whatever the filters, through data.tbData2 with its filter switched off, so that neither the
// grid's view (tbData) nor where its cursor happens to be decides which row is read or written.
// Leaving gives tbData2 its filter back; the caller refreshes the views after writing.
// Declared after a command's Transaction, it runs before a rollback restores the views.
class EntryById {
public:
    EntryById(LedgerTables& data, qint64 id) : m_all(data.tbData2), m_view(m_all) {
        m_found = moveTo(id);
    }
    EntryById(const EntryById&) = delete;
    EntryById& operator=(const EntryById&) = delete;

    // Whether the entry the view was made for exists.
    bool found() const { return m_found; }
    // The unfiltered handle, its cursor on the entry (or on the row moveTo last found).
    TableHandle& row() { return m_all; }

    // Moves to another entry (a partner row) by its ID; false, with the cursor anywhere, when
    // there is none.
    bool moveTo(qint64 id) {
        return id > 0 && m_all.isOpen() && m_all.locate(fields::Data::ID, id);
    }

    // The handle on the entry; throws StoreError naming the ID when there is no such entry.
    TableHandle& require(qint64 id) {
        if (!m_found)
            throw StoreError(QStringLiteral("There is no ledger entry with the ID %1 (it may "
                                            "have been deleted); nothing was changed.")
                                 .arg(id));
        return m_all;
    }

private:
    TableHandle& m_all;
    UnfilteredView m_view;
    bool m_found = false;
};

// Recomputes the three ledger views from the shared image after a command wrote through any of
// them; each keeps its cursor on the same row while that row is still visible.
inline void RefreshLedgerViews(LedgerTables& data) {
    for (TableHandle* view : {&data.tbData, &data.tbData2, &data.tbData3}) {
        if (view->isOpen())
            view->refresh();
    }
}

} // namespace zovi
