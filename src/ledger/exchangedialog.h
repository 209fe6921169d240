#pragma once

#include "ledger/entrycontrols.h"
#include "ledger/exchange.h"

class QComboBox;
class QGroupBox;
class QLineEdit;
class QToolButton;

namespace zovi {

class LedgerTables;

// The dialog of currency exchanges. It only collects and checks the values: the date, the
// amount given, the currencies given and received by their signs, the rate and the name; the
// caller computes the amount received and writes the row through the ledger logic. Like incomes
// and charges, an exchange takes the selected account tab.
class ExchangeDialog : public EntryDialog {
    Q_OBJECT

public:
    explicit ExchangeDialog(LedgerTables& data, QWidget* parent = nullptr);

    // Sets every control for a new exchange: empty amount, rate and name, the first currency
    // in both lists, today's date.
    void prepareNew();
    // Sets every control from an exchange being edited. A currency that no longer exists
    // leaves its list unselected, and OK then asks for a currency.
    void prepareEdit(const ExchangeEntry& entry);
    // The values as the dialog holds them after a successful OK.
    ExchangeEntry entry() const;

    // Refills both currency lists with the signs of every currency in table order and
    // selects the first in both.
    void refillCurrencies();
    // Selects the currencies given and received by their signs; an empty sign or one no
    // currency has leaves that list unselected.
    void selectSigns(const QString& given, const QString& received);

private:
    void proposeName();
    std::optional<EntryRefusal> checkInput() override;
    QWidget* control(EntryInput input) const override;
    void translateFrames() override;

    QLineEdit* m_amountEdit = nullptr;
    QToolButton* m_amountCalculatorButton = nullptr;
    QComboBox* m_givenCurrencyBox = nullptr;
    QComboBox* m_receivedCurrencyBox = nullptr;
    QLineEdit* m_rateEdit = nullptr;
    QToolButton* m_rateCalculatorButton = nullptr;
    QLineEdit* m_nameEdit = nullptr;
    QToolButton* m_proposeNameButton = nullptr;
    QGroupBox* m_amountFrame = nullptr;
    QGroupBox* m_currencyFrame = nullptr;
    QGroupBox* m_rateFrame = nullptr;
    QGroupBox* m_nameFrame = nullptr;
};

} // namespace zovi
