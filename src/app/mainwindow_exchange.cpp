// The main window's commands of currency exchanges: a new exchange and the edit of the
// current one. The dialog collects the values; the ledger logic computes the amount received
// and writes the row.

#include "app/mainwindow.h"
#include "core/messages.h"
#include "ledger/exchange.h"
#include "ledger/exchangedialog.h"
#include "store/datamodules.h"
#include "store/error.h"

namespace zovi {

void Tstart_form::NewObmen() {
    if (!m_data.tbData.isOpen())
        return;
    m_obmen->prepareNew();
    if (saveFromDialog(
            m_obmen,
            [this] { AppendExchange(m_data, m_obmen->entry(), currentEntryAccount(true)); },
            [this] { relistExchangeCurrencies(); })) {
        RefreshAfterChange();
        selectLastRow();
    }
}

void Tstart_form::editobmen() {
    TableHandle& d = m_data.tbData;
    if (!d.isOpen() || d.isEmpty())
        return;
    m_obmen->prepareEdit(ReadExchange(m_data, m_data.tbData.field(QStringLiteral("ID")).toInt()));
    if (saveFromDialog(
            m_obmen,
            [this, id = m_data.tbData.field(QStringLiteral("ID")).toInt()] {
                RewriteExchange(m_data, id, m_obmen->entry(), currentEntryAccount(true));
            },
            [this] { relistExchangeCurrencies(); }))
        RefreshAfterChange();
}

void Tstart_form::relistExchangeCurrencies() {
    // The currency table may have changed: list it again, keeping the choices that remain.
    const ExchangeEntry typed = m_obmen->entry();
    m_obmen->ReValuta();
    m_obmen->selectSigns(typed.givenSign, typed.receivedSign);
}

} // namespace zovi
