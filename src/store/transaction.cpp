#include "store/transaction.h"

#include "store/store.h"

namespace zovi {

Transaction::Transaction() {
    Store::instance().begin();
}

Transaction::~Transaction() {
    if (!m_done)
        Store::instance().rollback();
}

void Transaction::commit() {
    if (m_done)
        return;
    m_done = true;
    Store::instance().commit();
}

bool Transaction::active() {
    return Store::instance().inTransaction();
}

} // namespace zovi
