#pragma once

// CurrencyEditor: the currency editor, for a new currency or the one selected in the currency
// window. It only collects and checks the input; the window stores it.
// Controls, by object name: "NameLabel" ("Name"), "Name", "ZnakLabel" ("Mark"), "Znak",
// "KursLabel" ("Rate"), "Kurs", "OldValueLabel" ("Old Value"), "OldValue", "RatioGroup"
// (" Ratio to main currency ") with the choices "More" and "Less" and a small button beside
// each that also selects it ("MoreButton", "LessButton"), "MainLabel" ("Main currency", shown
// only for the main currency), "OkButton" ("OK", default) and "CancelButton" ("Cancel").

#include "ledger/currency.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace zovi {

class CurrencyEditor : public QDialog {
    Q_OBJECT

public:
    explicit CurrencyEditor(QWidget* parent = nullptr);

    // A new currency: caption "caption002", empty name and sign, rate "1", opening balance "0",
    // "Less" chosen, the rate controls enabled.
    void setAddMode();
    // The given currency with its stored values: caption "caption003"; for the main currency
    // the rate and the ratio choice are disabled and "Main currency" is shown.
    void setEditMode(const Currency& currency);

    // The input as typed; after an accepted showing it has passed CheckCurrencyInput.
    CurrencyInput input() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setMainCurrency(bool main);
    void onOkClicked();

    bool m_main = false;

    QLabel* m_nameLabel;
    QLineEdit* m_nameEdit;
    QLabel* m_signLabel;
    QLineEdit* m_signEdit;
    QLabel* m_rateLabel;
    QLineEdit* m_rateEdit;
    QLabel* m_openingBalanceLabel;
    QLineEdit* m_openingBalanceEdit;
    QGroupBox* m_ratioFrame;
    QRadioButton* m_moreChoice;
    QToolButton* m_moreButton;
    QRadioButton* m_lessChoice;
    QToolButton* m_lessButton;
    QLabel* m_mainLabel;
    QPushButton* m_okButton;
    QPushButton* m_cancelButton;
};

} // namespace zovi
