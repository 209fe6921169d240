// The transfer commands of the main window: a new transfer between accounts and the edit of
// the transfer of the current ledger row.
#include "ledger/perevod.h"
#include "ledger/transfer.h"
#include "shell/mainwindow.h"
#include "shell/messages.h"
#include "store/datamodules.h"
#include "store/error.h"

#include <functional>

namespace zovi {

namespace {

// Shows the dialog until the user cancels or the save succeeds; a refused save shows its
// message and opens the dialog again with everything the user typed. True once saved.
bool SaveFromDialog(Tperevod_form* dialog, QWidget* parent,
                    const std::function<void(const Transfer&)>& save) {
    while (dialog->exec() == QDialog::Accepted) {
        try {
            save(dialog->transfer());
            return true;
        } catch (const StoreError& e) {
            Messages::error(parent, e.message());
            dialog->ReValuta();
        }
    }
    return false;
}

} // namespace

void Tstart_form::bperevod() {
    if (!m_data.tbData.isOpen())
        return;
    // The source is the account of the selected tab, its blanks trimmed.
    m_perevod->prepareNew(currentEntryAccount(true));
    m_perevod->setFading(m_alphaBlend);
    if (SaveFromDialog(m_perevod, this, [this](const Transfer& t) { AppendTransfer(m_data, t); })) {
        RefreshAfterChange();
        selectLastRow();
    }
}

void Tstart_form::editperevod() {
    TableHandle& d = m_data.tbData;
    if (!d.isOpen() || d.isEmpty())
        return;
    const StoredTransfer stored = ReadTransfer(m_data);
    if (stored.rows.out == 0 && stored.rows.in == 0)
        return;
    m_perevod->prepareEdit(stored.transfer);
    m_perevod->setFading(m_alphaBlend);
    if (SaveFromDialog(m_perevod, this, [this, &stored](const Transfer& t) {
            RewriteTransfer(m_data, t, stored.rows);
        })) {
        d.last();
        RefreshAfterChange();
    }
}

} // namespace zovi
