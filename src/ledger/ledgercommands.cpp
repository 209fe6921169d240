#include "ledger/ledgercommands.h"

#include "core/lang.h"
#include "core/messages.h"
#include "ledger/classifierwindows.h"
#include "ledger/deleteentry.h"
#include "ledger/entrydialog.h"
#include "ledger/entrykinds.h"
#include "ledger/entryrow.h"
#include "ledger/exchange.h"
#include "ledger/exchangedialog.h"
#include "ledger/movedialog.h"
#include "ledger/repeat.h"
#include "ledger/revalue.h"
#include "ledger/standardentry.h"
#include "ledger/transfer.h"
#include "ledger/transferdialog.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/fields.h"
#include "store/history.h"

namespace zovi {

namespace {

// The label of a command on entries in the history: the one entry's name in one, or how many
// entries there were in several ("delete of 'Bread'", "delete of 3 entries").
QString StepLabel(LedgerTables& data, const QString& one, const QString& several,
                  const QList<qint64>& ids) {
    if (ids.size() != 1)
        return several.arg(EntryCountText(int(ids.size())));
    EntryById entry(data, ids.first());
    return one.arg(entry.found() ? entry.row().field(fields::Data::Name).text() : QString());
}

} // namespace

LedgerCommands::LedgerCommands(LedgerTables& tables, DebtTables& debts, QWidget* parent)
    : QObject(parent), m_data(tables), m_debts(debts), m_parent(parent) {
    m_entryDialog = new StandardEntryDialog(m_data, parent);
    m_transferDialog = new TransferDialog(m_data, parent);
    m_exchangeDialog = new ExchangeDialog(m_data, parent);
    m_moveDialog = new MoveDialog(m_data, parent);
    m_nameEditor = new NameEditor(parent);
    m_accountsWindow = new AccountsWindow(m_data, m_debts, m_nameEditor, parent);
    m_chargeGroupsWindow = new ChargeGroupsWindow(m_data, m_nameEditor, parent);
    m_incomeGroupsWindow = new IncomeGroupsWindow(m_data, m_nameEditor, parent);
    for (GroupsWindow* groups : {static_cast<GroupsWindow*>(m_chargeGroupsWindow),
                                 static_cast<GroupsWindow*>(m_incomeGroupsWindow)}) {
        // The entry dialog's lists show the names as they are now.
        groups->setChangeHandler([this] {
            m_entryDialog->refillGroups();
            m_entryDialog->refillSubGroups();
        });
    }
    m_entryDialog->setGroupEditor([this](bool incomes) {
        showGroups(incomes ? static_cast<GroupsWindow*>(m_incomeGroupsWindow)
                           : static_cast<GroupsWindow*>(m_chargeGroupsWindow));
    });
}

LedgerCommands::~LedgerCommands() = default;

void LedgerCommands::setCalculator(const std::function<bool(QString&)>& calculate) {
    m_entryDialog->setCalculator(calculate);
    m_transferDialog->setCalculator(calculate);
    m_exchangeDialog->setCalculator(calculate);
}

bool LedgerCommands::saveFromDialog(FadingDialog* dialog, const std::function<void()>& save,
                                    const std::function<void()>& relist) {
    dialog->setFading(m_fading);
    while (dialog->exec() == QDialog::Accepted) {
        try {
            save();
            return true;
        } catch (const StoreError& e) {
            Messages::error(m_parent, e.message());
        }
        relist();
    }
    return false;
}

qint64 LedgerCommands::addEntry(const QString& account) {
    if (!m_data.tbData.isOpen())
        return 0;
    if (m_data.tbValuta.isEmpty()) {
        Messages::error(m_parent, QStringLiteral("An entry needs a currency, and this database "
                                                 "has none yet. Add one in the \"Currency\" "
                                                 "window first."));
        return 0;
    }
    m_entryDialog->prepareNew(account);
    qint64 id = 0;
    saveFromDialog(
        m_entryDialog,
        [this, &id] {
            CommandHistory::Recording recording(
                LangText(QStringLiteral("step new entry"), QStringLiteral("new entry '%1'"))
                    .arg(m_entryDialog->entry().name));
            id = AppendStandardEntry(m_data, m_entryDialog->entry(), m_entryDialog->account(),
                                     m_entryDialog->repeat());
        },
        [this] { m_entryDialog->refillCurrencies(); });
    return id;
}

bool LedgerCommands::editEntry(qint64 id, const QString& account) {
    if (id == 0)
        return false;
    try {
        switch (EditActionFor(EntryType(m_data, id))) {
        case EditAction::Standard:
            return editStandardEntry(id, account);
        case EditAction::Refused:
            Messages::error(m_parent, LangText(QStringLiteral("err025"), QString()));
            return false;
        case EditAction::Transfer:
            return editTransfer(id);
        case EditAction::Exchange:
            return editExchange(id, account);
        case EditAction::None:
            return false;
        }
    } catch (const StoreError& e) {
        // The entry could not be read (it went away meanwhile): nothing was changed.
        Messages::error(m_parent, e.message());
    }
    return false;
}

bool LedgerCommands::editStandardEntry(qint64 id, const QString& account) {
    m_entryDialog->prepareEdit(ReadStandardEntry(m_data, id), account);
    return saveFromDialog(
        m_entryDialog,
        [this, id] {
            CommandHistory::Recording recording(
                LangText(QStringLiteral("step edit"), QStringLiteral("edit of '%1'"))
                    .arg(m_entryDialog->entry().name));
            RewriteStandardEntry(m_data, id, m_entryDialog->entry(), m_entryDialog->account());
        },
        [this] { m_entryDialog->refillCurrencies(); });
}

bool LedgerCommands::deleteEntries(const QList<qint64>& ids) {
    // The kinds the ledger knows are deleted; one debt row refuses the whole deletion.
    QList<qint64> deleted;
    for (qint64 id : ids) {
        switch (DeleteActionFor(EntryType(m_data, id))) {
        case DeleteAction::Nothing:
            break;
        case DeleteAction::Refused:
            Messages::error(m_parent, DebtDeleteRefusal());
            return false;
        case DeleteAction::Transfer:
        case DeleteAction::Single:
        case DeleteAction::Repayment:
            deleted << id;
            break;
        }
    }
    if (deleted.isEmpty())
        return false;
    // One entry of a series with later repetitions: the question is only it, or it and the
    // later ones, and it stands for the confirmation.
    bool asked = false;
    bool laterToo = false;
    if (deleted.size() == 1 && HasLaterRepetitions(m_data, deleted.first())) {
        const int choice = Messages::choose(
            m_parent,
            LangText(QStringLiteral("delete series"),
                     QStringLiteral("Delete only this entry, or this one and the later ones of "
                                    "its series?")),
            {LangText(QStringLiteral("delete only this"), QStringLiteral("Only this one")),
             LangText(QStringLiteral("delete this and later"),
                      QStringLiteral("This one and the later ones")),
             LangText(QStringLiteral("cancel"), QStringLiteral("Cancel"))});
        if (choice == 2)
            return false;
        asked = true;
        laterToo = choice == 1;
    }
    const QString question =
        deleted.size() == 1
            ? LangText(QStringLiteral("err011"), QStringLiteral("Do you want delete?"))
            : LangText(QStringLiteral("delete entries"), QStringLiteral("Delete %1?"))
                  .arg(EntryCountText(int(deleted.size())));
    if (!asked && !Messages::confirm(m_parent, question))
        return false;
    try {
        CommandHistory::Recording recording(StepLabel(
            m_data,
            laterToo ? LangText(QStringLiteral("step delete later"),
                                QStringLiteral("delete of '%1' and its later repetitions"))
                     : LangText(QStringLiteral("step delete"), QStringLiteral("delete of '%1'")),
            LangText(QStringLiteral("step delete n"), QStringLiteral("delete of %1")), deleted));
        if (laterToo)
            DeleteSeriesFrom(m_data, m_debts, deleted.first());
        else
            DeleteEntries(m_data, m_debts, deleted);
    } catch (const StoreError& e) {
        Messages::error(m_parent, e.message());
        return false;
    }
    return true;
}

bool LedgerCommands::moveEntries(const QList<qint64>& ids) {
    if (ids.isEmpty() || m_moveDialog->exec() != QDialog::Accepted)
        return false;
    try {
        CommandHistory::Recording recording(
            StepLabel(m_data, LangText(QStringLiteral("step move"), QStringLiteral("move of '%1'")),
                      LangText(QStringLiteral("step move n"), QStringLiteral("move of %1")), ids));
        MoveEntries(m_data, ids, m_moveDialog->account());
    } catch (const StoreError& e) {
        Messages::error(m_parent, e.message());
        return false;
    }
    return true;
}

qint64 LedgerCommands::addTransfer(const QString& account) {
    if (!m_data.tbData.isOpen())
        return 0;
    m_transferDialog->prepareNew(account.trimmed());
    TransferRows rows;
    saveFromDialog(
        m_transferDialog,
        [this, &rows] {
            CommandHistory::Recording recording(
                LangText(QStringLiteral("step new transfer"), QStringLiteral("new transfer '%1'"))
                    .arg(m_transferDialog->transfer().nameOut));
            rows = AppendTransfer(m_data, m_transferDialog->transfer(), m_transferDialog->repeat());
        },
        [this] { m_transferDialog->refillCurrencies(); });
    return rows.in;
}

bool LedgerCommands::editTransfer(qint64 id) {
    const StoredTransfer stored = ReadTransfer(m_data, id);
    if (stored.rows.out == 0 && stored.rows.in == 0)
        return false;
    m_transferDialog->prepareEdit(stored.transfer);
    return saveFromDialog(
        m_transferDialog,
        [this, &stored] {
            CommandHistory::Recording recording(
                LangText(QStringLiteral("step edit"), QStringLiteral("edit of '%1'"))
                    .arg(m_transferDialog->transfer().nameOut));
            RewriteTransfer(m_data, m_transferDialog->transfer(), stored.rows);
        },
        [this] { m_transferDialog->refillCurrencies(); });
}

qint64 LedgerCommands::addExchange(const QString& account) {
    if (!m_data.tbData.isOpen())
        return 0;
    m_exchangeDialog->prepareNew();
    qint64 id = 0;
    saveFromDialog(
        m_exchangeDialog,
        [this, &id, &account] {
            CommandHistory::Recording recording(
                LangText(QStringLiteral("step new exchange"), QStringLiteral("new exchange '%1'"))
                    .arg(m_exchangeDialog->entry().name));
            id = AppendExchange(m_data, m_exchangeDialog->entry(), account.trimmed());
        },
        [this] { relistExchangeCurrencies(); });
    return id;
}

bool LedgerCommands::editExchange(qint64 id, const QString& account) {
    m_exchangeDialog->prepareEdit(ReadExchange(m_data, id));
    return saveFromDialog(
        m_exchangeDialog,
        [this, id, &account] {
            CommandHistory::Recording recording(
                LangText(QStringLiteral("step edit"), QStringLiteral("edit of '%1'"))
                    .arg(m_exchangeDialog->entry().name));
            RewriteExchange(m_data, id, m_exchangeDialog->entry(), account.trimmed());
        },
        [this] { relistExchangeCurrencies(); });
}

void LedgerCommands::relistExchangeCurrencies() {
    // The currency table may have changed: list it again, keeping the choices that remain.
    const ExchangeEntry typed = m_exchangeDialog->entry();
    m_exchangeDialog->refillCurrencies();
    m_exchangeDialog->selectSigns(typed.givenSign, typed.receivedSign);
}

void LedgerCommands::editAccounts() {
    const CommandHistory::Outside outside(
        LangText(QStringLiteral("history accounts"), QStringLiteral("the change of the accounts")));
    m_accountsWindow->exec();
}

void LedgerCommands::editChargeGroups() {
    showGroups(m_chargeGroupsWindow);
}

void LedgerCommands::editIncomeGroups() {
    showGroups(m_incomeGroupsWindow);
}

void LedgerCommands::showGroups(GroupsWindow* window) {
    {
        const CommandHistory::Outside outside(
            LangText(QStringLiteral("history groups"), QStringLiteral("the change of the groups")));
        window->exec();
    }
    Q_EMIT groupsChanged();
}

} // namespace zovi
