#include "ledger/entrycontrols.h"

#include "ledger/standardentry.h"

#include "core/layouts.h"
#include "core/textutil.h"
#include "store/table.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

namespace zovi {

QToolButton* SmallButton(QWidget* parent, const char* name, const QString& text) {
    auto* button = Named(new QToolButton(parent), name);
    button->setText(text);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QGroupBox* Frame(QWidget* parent, const QString& caption, std::initializer_list<QWidget*> row) {
    auto* frame = new QGroupBox(caption, parent);
    auto* layout = new QHBoxLayout(frame);
    for (QWidget* w : row)
        layout->addWidget(w, qobject_cast<QToolButton*>(w) ? 0 : 1);
    return frame;
}

void Select(QComboBox* list, const QString& text) {
    list->setCurrentIndex(list->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

QStringList Names(TableHandle& table) {
    QStringList names;
    if (!table.isOpen())
        return names;
    const int column = table.fieldIndex(QStringLiteral("Name"));
    for (int row = 0; row < table.recordCount(); ++row)
        names << table.textAt(row, column);
    return names;
}

void FillCurrencySigns(QComboBox* list, TableHandle& valuta) {
    list->clear();
    list->addItems(CurrencySigns(valuta));
    list->setCurrentIndex(list->count() > 0 ? 0 : -1);
}

void ConnectDateSteps(QToolButton* back, QToolButton* forward, QDateEdit* date) {
    QObject::connect(back, &QToolButton::clicked, date,
                     [date] { date->setDate(date->date().addDays(-1)); });
    QObject::connect(forward, &QToolButton::clicked, date,
                     [date] { date->setDate(date->date().addDays(1)); });
}

void CalculateInto(const AmountCalculator& calculator, QLineEdit* field) {
    if (!calculator)
        return;
    // The calculator starts from the normalised amount, or empty when it is no number.
    QString amount;
    if (!IsNotNumber(field->text()))
        NormalizeDecimal(field->text(), amount);
    if (calculator(amount))
        field->setText(amount);
}

} // namespace zovi
