// The main window's commands of currency exchanges: a new exchange and the edit of the
// current one. The dialog collects the values; the ledger logic computes the amount received
// and writes the row.

#include "ledger/exchange.h"
#include "ledger/obmen.h"
#include "shell/mainwindow.h"
#include "shell/messages.h"
#include "store/datamodules.h"
#include "store/error.h"

#include <functional>

namespace zovi {

namespace {

// Shows the prepared dialog until it is cancelled or save succeeds; returns true when saved. A
// refused save shows its message and opens the dialog again with everything the user typed.
bool ExecAndSave(QWidget* parent, TObmen* dialog,
                 const std::function<void(const ExchangeEntry&)>& save) {
    while (dialog->exec() == QDialog::Accepted) {
        const ExchangeEntry typed = dialog->entry();
        try {
            save(typed);
            return true;
        } catch (const StoreError& e) {
            Messages::error(parent, e.message());
        }
        // The currency table may have changed: list it again, keeping the choices that remain.
        dialog->ReValuta();
        dialog->selectSigns(typed.givenSign, typed.receivedSign);
    }
    return false;
}

} // namespace

void Tstart_form::NewObmen() {
    if (!m_data.tbData.isOpen())
        return;
    m_obmen->prepareNew();
    m_obmen->setFading(m_alphaBlend);
    if (ExecAndSave(this, m_obmen, [this](const ExchangeEntry& entry) {
            AppendExchange(m_data, entry, currentEntryAccount(true));
        })) {
        RefreshAfterChange();
        selectLastRow();
    }
}

void Tstart_form::editobmen() {
    TableHandle& d = m_data.tbData;
    if (!d.isOpen() || d.isEmpty())
        return;
    m_obmen->prepareEdit(ReadExchange(m_data));
    m_obmen->setFading(m_alphaBlend);
    if (ExecAndSave(this, m_obmen, [this](const ExchangeEntry& entry) {
            RewriteExchange(m_data, entry, currentEntryAccount(true));
        }))
        RefreshAfterChange();
}

} // namespace zovi
