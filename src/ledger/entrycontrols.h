#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <initializer_list>

class QComboBox;
class QDateEdit;
class QGroupBox;
class QLineEdit;
class QToolButton;
class QWidget;

namespace zovi {

class TableHandle;

// The pieces the entry dialogs share: their small buttons, framed rows, lists and the
// calculator beside an amount.

// A small button that never takes the focus from the field it serves.
QToolButton* SmallButton(QWidget* parent, const char* name, const QString& text);

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

} // namespace zovi
