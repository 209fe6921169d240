#pragma once

#include "store/error.h"
#include "store/table.h"

namespace zovi {

// Switches a handle's filter off for a command that must see or write every row, and on leaving
// (also by an error) drops an unfinished edit and gives the handle its filter and position back.
// Declared after the command's Transaction, it runs before a rollback restores the views.
class UnfilteredView {
public:
    explicit UnfilteredView(TableHandle& t) : m_t(t), m_filtered(t.filtered()), m_at(t.recNo()) {
        m_t.setFiltered(false);
    }
    ~UnfilteredView() {
        try {
            if (m_t.mode() != TableHandle::Mode::Browse)
                m_t.cancel();
            m_t.setFiltered(m_filtered);
            if (m_at > 0 && m_at <= m_t.recordCount())
                m_t.setRecNo(m_at);
        } catch (const StoreError&) {
            // The filter compiled before, so it compiles again; nothing is left to undo.
        }
    }
    UnfilteredView(const UnfilteredView&) = delete;
    UnfilteredView& operator=(const UnfilteredView&) = delete;

    // Keeps the filter but not the old position: the caller moves the cursor itself after.
    void forgetPosition() { m_at = 0; }

private:
    TableHandle& m_t;
    bool m_filtered;
    int m_at;
};

} // namespace zovi
