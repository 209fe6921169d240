// The transfer commands of the main window: a new transfer between accounts and the edit of
// the transfer of the current ledger row.
#include "app/mainwindow.h"
#include "core/messages.h"
#include "ledger/transfer.h"
#include "ledger/transferdialog.h"
#include "store/datamodules.h"
#include "store/error.h"

namespace zovi {

void Tstart_form::bperevod() {
    if (!m_data.tbData.isOpen())
        return;
    // The source is the account of the selected tab, its blanks trimmed.
    m_perevod->prepareNew(currentEntryAccount(true));
    if (saveFromDialog(
            m_perevod, [this] { AppendTransfer(m_data, m_perevod->transfer()); },
            [this] { m_perevod->ReValuta(); })) {
        RefreshAfterChange();
        selectLastRow();
    }
}

void Tstart_form::editperevod() {
    TableHandle& d = m_data.tbData;
    if (!d.isOpen() || d.isEmpty())
        return;
    const StoredTransfer stored =
        ReadTransfer(m_data, m_data.tbData.field(QStringLiteral("ID")).toInt());
    if (stored.rows.out == 0 && stored.rows.in == 0)
        return;
    m_perevod->prepareEdit(stored.transfer);
    if (saveFromDialog(
            m_perevod,
            [this, &stored] { RewriteTransfer(m_data, m_perevod->transfer(), stored.rows); },
            [this] { m_perevod->ReValuta(); })) {
        d.last();
        RefreshAfterChange();
    }
}

} // namespace zovi
