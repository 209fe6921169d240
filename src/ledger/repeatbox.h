#pragma once

#include "ledger/entrycheck.h"
#include "ledger/repeat.h"

#include <QGroupBox>
#include <optional>

class QComboBox;
class QLabel;
class QRadioButton;
class QSpinBox;

namespace zovi {

class WholeDateEdit;

// The "Repeat" frame of the dialogs of a new income, charge or transfer: ticked, the entry is
// stored every week, month or year, either a number of times (the entry itself counted) or up
// to and including an end date. Unticked (as it starts) the entry is stored once.
class RepeatBox : public QGroupBox {
    Q_OBJECT

public:
    explicit RepeatBox(QWidget* parent = nullptr);

    // Unticked, every month, 12 times, the end date a year after first.
    void reset(const QDate& first);
    // The repetition chosen; none while the frame is unticked.
    std::optional<Repeat> repeat() const;
    // Why the repetition chosen cannot be stored from first (EntryInput::Repeat): an end date
    // that is no date, or RepeatRefusal; none when the frame is unticked.
    std::optional<EntryRefusal> refusal(const QDate& first) const;
    // The control that holds the refused input: the end date or the number of times.
    QWidget* refusedControl() const;
    // The texts in the chosen language.
    void translate();

    // Puts the frame's tick and its controls in the dialog's Tab order between before and after.
    void chainFocus(QWidget* before, QWidget* after);

private:
    QLabel* m_everyLabel = nullptr;
    QComboBox* m_everyBox = nullptr;
    QRadioButton* m_countRadio = nullptr;
    QSpinBox* m_countSpin = nullptr;
    QRadioButton* m_untilRadio = nullptr;
    WholeDateEdit* m_untilDate = nullptr;
};

} // namespace zovi
