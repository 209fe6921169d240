// The entry commands of the ledger page. Each acts on the entry of the selected grid row, by
// its ID; the dialogs collect the values and the ledger logic writes them.
#include "core/lang.h"
#include "core/messages.h"
#include "ledger/classifierwindows.h"
#include "ledger/deleteentry.h"
#include "ledger/entrydialog.h"
#include "ledger/entrykinds.h"
#include "ledger/exchange.h"
#include "ledger/exchangedialog.h"
#include "ledger/ledgerpage.h"
#include "ledger/movedialog.h"
#include "ledger/standardentry.h"
#include "ledger/transfer.h"
#include "ledger/transferdialog.h"
#include "store/datamodules.h"
#include "store/error.h"

namespace zovi {

bool LedgerPage::saveFromDialog(FadingDialog* dialog, const std::function<void()>& save,
                                const std::function<void()>& relist) {
    dialog->setFading(m_fading);
    while (dialog->exec() == QDialog::Accepted) {
        try {
            save();
            return true;
        } catch (const StoreError& e) {
            Messages::error(this, e.message());
        }
        relist();
    }
    return false;
}

void LedgerPage::NewRec() {
    if (!m_data.tbData.isOpen())
        return;
    if (m_data.tbValuta.isEmpty()) {
        Messages::error(this, QStringLiteral("An entry needs a currency, and this database has "
                                             "none yet. Add one in the \"Currency\" window "
                                             "first."));
        return;
    }
    m_editRecord->prepareNew();
    qint64 id = 0;
    if (saveFromDialog(
            m_editRecord,
            [this, &id] {
                id = AppendStandardEntry(m_data, m_editRecord->entry(), currentEntryAccount());
            },
            [this] { m_editRecord->refillCurrencies(); })) {
        m_selectedId = id;
        RefreshAfterChange();
    }
}

void LedgerPage::EditRec() {
    const qint64 id = m_selectedId;
    if (id == 0)
        return;
    try {
        switch (EditActionFor(EntryType(m_data, id))) {
        case EditAction::Standard:
            EditStandartRecord(id);
            break;
        case EditAction::Refused:
            Messages::error(this, LangText(QStringLiteral("err025"), QString()));
            break;
        case EditAction::Transfer:
            editperevod(id);
            break;
        case EditAction::Exchange:
            editobmen(id);
            break;
        case EditAction::None:
            break;
        }
    } catch (const StoreError& e) {
        // The entry could not be read (it went away meanwhile): nothing was changed.
        Messages::error(this, e.message());
    }
}

void LedgerPage::EditStandartRecord(qint64 id) {
    m_editRecord->prepareEdit(ReadStandardEntry(m_data, id));
    if (saveFromDialog(
            m_editRecord,
            [this, id] {
                RewriteStandardEntry(m_data, id, m_editRecord->entry(), currentEntryAccount());
            },
            [this] { m_editRecord->refillCurrencies(); }))
        RefreshAfterChange();
}

void LedgerPage::DeleteRec() {
    const qint64 id = m_selectedId;
    if (id == 0)
        return;
    const QString question =
        LangText(QStringLiteral("err011"), QStringLiteral("Do you want delete?"));
    const QString debts =
        LangText(QStringLiteral("err014"),
                 QStringLiteral("For delete of debts you must open window \"Debts\""));
    switch (DeleteActionFor(EntryType(m_data, id))) {
    case DeleteAction::Nothing:
        return;
    case DeleteAction::Refused:
        Messages::error(this, debts);
        return;
    case DeleteAction::Transfer:
    case DeleteAction::Single:
    case DeleteAction::Repayment:
        if (!Messages::confirm(this, question))
            return;
        break;
    }
    try {
        DeleteEntry(m_data, m_cd, id);
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
        return;
    }
    RefreshAfterChange();
}

void LedgerPage::MoveRec() {
    const qint64 id = m_selectedId;
    if (id == 0 || m_move->exec() != QDialog::Accepted)
        return;
    try {
        MoveEntry(m_data, id, m_move->account());
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
        return;
    }
    // The balances of the accounts change with the entry's account.
    RefreshAfterChange();
}

void LedgerPage::bperevod() {
    if (!m_data.tbData.isOpen())
        return;
    // The source is the account of the selected tab, its blanks trimmed.
    m_perevod->prepareNew(currentEntryAccount(true));
    TransferRows rows;
    if (saveFromDialog(
            m_perevod, [this, &rows] { rows = AppendTransfer(m_data, m_perevod->transfer()); },
            [this] { m_perevod->refillCurrencies(); })) {
        m_selectedId = rows.in;
        RefreshAfterChange();
    }
}

void LedgerPage::editperevod(qint64 id) {
    const StoredTransfer stored = ReadTransfer(m_data, id);
    if (stored.rows.out == 0 && stored.rows.in == 0)
        return;
    m_perevod->prepareEdit(stored.transfer);
    if (saveFromDialog(
            m_perevod,
            [this, &stored] { RewriteTransfer(m_data, m_perevod->transfer(), stored.rows); },
            [this] { m_perevod->refillCurrencies(); }))
        RefreshAfterChange();
}

void LedgerPage::NewObmen() {
    if (!m_data.tbData.isOpen())
        return;
    m_obmen->prepareNew();
    qint64 id = 0;
    if (saveFromDialog(
            m_obmen,
            [this, &id] {
                id = AppendExchange(m_data, m_obmen->entry(), currentEntryAccount(true));
            },
            [this] { relistExchangeCurrencies(); })) {
        m_selectedId = id;
        RefreshAfterChange();
    }
}

void LedgerPage::editobmen(qint64 id) {
    m_obmen->prepareEdit(ReadExchange(m_data, id));
    if (saveFromDialog(
            m_obmen,
            [this, id] {
                RewriteExchange(m_data, id, m_obmen->entry(), currentEntryAccount(true));
            },
            [this] { relistExchangeCurrencies(); }))
        RefreshAfterChange();
}

void LedgerPage::relistExchangeCurrencies() {
    // The currency table may have changed: list it again, keeping the choices that remain.
    const ExchangeEntry typed = m_obmen->entry();
    m_obmen->refillCurrencies();
    m_obmen->selectSigns(typed.givenSign, typed.receivedSign);
}

// ---- classifiers ----

void LedgerPage::Users() {
    m_users->exec();
    AddCategory();
    SelFilter();
}

void LedgerPage::GroupsCharges() {
    showGroups(m_vidRashod);
}

void LedgerPage::GroupsIncomes() {
    showGroups(m_vidDohod);
}

void LedgerPage::showGroups(GroupsWindow* window) {
    window->exec();
    Q_EMIT fullRefreshRequested();
}

} // namespace zovi
