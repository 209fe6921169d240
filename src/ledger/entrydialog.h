#pragma once

#include "ledger/entrycontrols.h"
#include "ledger/entrynames.h"
#include "ledger/standardentry.h"

#include <functional>

class QComboBox;
class QCompleter;
class QGroupBox;
class QStringListModel;
class QLineEdit;
class QToolButton;

namespace zovi {

class LedgerTables;
class RepeatBox;

// The dialog of incomes and charges. It only collects and checks the values: the side, the
// date, the name, the amount, the currency sign, the group and the sub-group; the caller writes
// them through the ledger logic. It has no account control: entries take the selected account
// tab of the main window.
class StandardEntryDialog : public EntryDialog {
    Q_OBJECT

public:
    explicit StandardEntryDialog(LedgerTables& data, QWidget* parent = nullptr);

    // Sets every control for a new entry of account: a charge dated today, empty name and
    // amount, the first currency, no group; the names of earlier entries are read for
    // completion.
    void prepareNew(const QString& account);
    // Sets every control from an entry being edited, to be saved in account. A group or
    // sub-group that no longer exists leaves its list unselected; a currency that is gone leaves
    // the first sign chosen. The name is not completed.
    void prepareEdit(const StandardEntry& entry, const QString& account);
    // The values as the dialog holds them after a successful OK.
    StandardEntry entry() const;
    // The account chosen: an account's name or "[...]".
    QString account() const;
    // The repetition chosen for a new entry; none when it is stored once (always when edited).
    std::optional<Repeat> repeat() const;

    // Refill the lists from the tables: the currency signs in table order (the first chosen),
    // the groups of the current side, the sub-groups of the chosen group (both sorted ignoring
    // letter case). The group windows call the last two after every change they make.
    void refillCurrencies();
    void refillGroups();
    void refillSubGroups();

    // What the "+/-" buttons open: the group window of incomes (true) or charges.
    // The buttons stay disabled while no group window is given.
    void setGroupEditor(std::function<void(bool incomes)> editor);

private:
    void setSide(bool income);
    bool income() const;
    void proposeName();
    void fillAccounts(const QString& account);
    // Offers the earlier names of the side now chosen.
    void offerNames();
    // Fills the group, sub-group, currency and amount from the latest entry named name.
    void fillFromEarlier(const QString& name);
    std::optional<EntryRefusal> checkInput() override;
    QWidget* control(EntryInput input) const override;
    void translateFrames() override;

    std::function<void(bool)> m_groupEditor;
    EarlierNames m_earlierNames;

    QToolButton* m_incomeButton = nullptr;
    QToolButton* m_chargeButton = nullptr;
    QLineEdit* m_nameEdit = nullptr;
    QToolButton* m_proposeNameButton = nullptr;
    QCompleter* m_nameCompleter = nullptr;
    QStringListModel* m_nameModel = nullptr;
    QComboBox* m_accountBox = nullptr;
    QGroupBox* m_accountFrame = nullptr;
    QLineEdit* m_amountEdit = nullptr;
    QToolButton* m_calculatorButton = nullptr;
    QComboBox* m_currencyBox = nullptr;
    QComboBox* m_groupBox = nullptr;
    QToolButton* m_editGroupsButton = nullptr;
    QComboBox* m_subGroupBox = nullptr;
    QToolButton* m_editSubGroupsButton = nullptr;
    QGroupBox* m_typeFrame = nullptr;
    QGroupBox* m_nameFrame = nullptr;
    QGroupBox* m_amountFrame = nullptr;
    QGroupBox* m_groupFrame = nullptr;
    QGroupBox* m_subGroupFrame = nullptr;
    RepeatBox* m_repeatBox = nullptr;
};

} // namespace zovi
