#pragma once

#include "core/fading.h"
#include "ledger/entrycheck.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <initializer_list>
#include <optional>

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QToolButton;
class QWidget;

namespace zovi {

class TableHandle;
class LedgerTables;

// The pieces the entry dialogs share: their small buttons, framed rows, lists and the
// calculator beside an amount.

// A small button that never takes the focus from the field it serves when clicked; Tab still
// reaches it, so it can be pressed from the keyboard.
QToolButton* SmallButton(QWidget* parent, const char* name, const QString& text);

// A button of a choice (the side of an entry, the kind of a debt), checkable, sharing the row's
// width. The chosen one is filled and the focused one framed, whatever the skin draws for tool
// buttons; the chosen one stays filled while the choice is locked.
QToolButton* ChoiceButton(QWidget* parent, const char* name, const QString& text);
// The style rule that fills a chosen button of a choice, for the selector of its chosen state
// ("QToolButton:checked", "QTabBar::tab:selected"): the same look wherever a choice is made.
QString ChosenLook(const char* selector);
// Makes the buttons one choice of which exactly one is down: Tab stops once in the choice, on
// the chosen button, Space chooses the focused one and the arrow keys move the choice.
QButtonGroup* Choice(QWidget* parent, std::initializer_list<QAbstractButton*> buttons);

// Sets the Tab order of a dialog's controls to the order given (reading order).
void ChainFocus(std::initializer_list<QWidget*> controls);

// A frame with a caption around one row of controls; buttons keep their size, the rest share
// the width.
QGroupBox* Frame(QWidget* parent, const QString& caption, std::initializer_list<QWidget*> row);

// Selects the item equal to text (exact, letter case counts); no selection when there is none.
void Select(QComboBox* list, const QString& text);

// The Name of every row of a table's view, first to last; none when the table is closed.
QStringList Names(TableHandle& table);

// Refills list with the Znak of every currency in table order and selects the first.
void FillCurrencySigns(QComboBox* list, TableHandle& valuta);

// Lets back and forward move the date one day.
void ConnectDateSteps(QToolButton* back, QToolButton* forward, QDateEdit* date);

// What a calculator button does with an amount (normalised, or empty when it is no number):
// returns true and replaces the text when the calculator was closed with OK.
using AmountCalculator = std::function<bool(QString& amount)>;

// Opens the calculator on the amount in field; on OK its result replaces the text.
void CalculateInto(const AmountCalculator& calculator, QLineEdit* field);

// The base of the three entry dialogs. It holds what they share: the tables they list from, the
// date row ("<" a day back, the date, ">" a day forward), OK (the default) and Cancel, the
// calculator, the caption translated when the dialog is shown, and OK itself: the dialog's
// check runs, a refusal is shown in an error box with the focus put on the control it concerns,
// and only an entry that passes closes the dialog as accepted. The dialogs only collect and
// check; the caller writes the entry through the ledger logic.
class EntryDialog : public FadingDialog {
    Q_OBJECT

public:
    // What the calculator buttons open on an amount or a rate.
    void setCalculator(AmountCalculator calculator) { m_calculator = std::move(calculator); }

protected:
    EntryDialog(LedgerTables& tables, const char* name, QWidget* parent);

    // Makes the date row with the date control named dateName; the date has the focus when
    // the dialog is shown, wherever it stands in the dialog's Tab order.
    QGroupBox* makeDateRow(const char* dateName);
    // Makes OK and Cancel, last in the focus chain, and lays the frames out above them.
    void layOut(std::initializer_list<QGroupBox*> frames);
    // Opens the calculator on the amount or rate in field.
    void calculate(QLineEdit* field) { CalculateInto(m_calculator, field); }

    // The check of OK, with the dialog's fields set to the normalised values the check gave
    // back; a refusal keeps the dialog open.
    virtual std::optional<EntryRefusal> checkInput() = 0;
    // The control holding an input of the entry, focused after a refusal of it.
    virtual QWidget* control(EntryInput input) const = 0;
    // Sets the built-in captions of the dialog's frames from the translation.
    virtual void translateFrames() = 0;

    void showEvent(QShowEvent* event) override;

    LedgerTables& m_data;
    AmountCalculator m_calculator;
    QString m_captionKey;
    QDateEdit* m_date = nullptr;
    QToolButton* m_dayBackButton = nullptr;
    QToolButton* m_dayForwardButton = nullptr;
    QGroupBox* m_dateFrame = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;

private:
    void onOkClicked();
};

} // namespace zovi
