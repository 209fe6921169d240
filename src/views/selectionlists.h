#pragma once

#include "core/translate.h"
#include "views/presets.h"

#include <QFrame>
#include <array>

class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace zovi {

// The selection lists of the "Extended" filter page, above the ledger grid: six boxes, each
// with a one-line summary of its list, and below them the list of the current box. The first
// five tick income groups, charge groups, income sub-groups (under their groups' header lines),
// charge sub-groups and accounts; the last holds date periods "from-to", served by "Add" and
// "Delete", which show only while it does.
class SelectionListsFrame : public QFrame {
    Q_OBJECT

public:
    static constexpr int kLists = 6;
    static constexpr int kIncomeGroups = 0;
    static constexpr int kChargeGroups = 1;
    static constexpr int kIncomeSubGroups = 2;
    static constexpr int kChargeSubGroups = 3;
    static constexpr int kAccounts = 4;
    static constexpr int kDates = 5;

    explicit SelectionListsFrame(QWidget* parent = nullptr);

    // Refills a tick list (0..4) with these lines, nothing ticked; header lines cannot be ticked.
    void setLines(int list, const QList<SelectionLine>& lines);
    // The ticked lines of a tick list from top to bottom; for the dates list every line.
    QStringList ticked(int list) const;
    // Ticks every tickable line of a tick list whose text is one of names and unticks the rest.
    void setTicked(int list, const QStringList& names);

    // The date periods of the dates list.
    void setPeriods(const QStringList& periods);
    void addPeriod(const QString& period);
    // Removes the selected period; false when none is selected.
    bool removeSelectedPeriod();

    // Rewrites a box's summary label and its hint from its list.
    void updateSummary(int list);
    QString summary(int list) const;

    // Makes a box current: its caption bold, its list shown, the others regular and hidden.
    void selectBox(int list);
    int currentBox() const { return m_current; }

    // The translation keys of the box captions and the two buttons.
    TranslationKeys translationKeys();

Q_SIGNALS:
    // The user ticked or unticked a line of a tick list.
    void lineTicked(int list);
    void addClicked();
    void deleteClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::array<QGroupBox*, kLists> m_boxes{};
    std::array<QLabel*, kLists> m_labels{};
    std::array<QListWidget*, kLists> m_lists{};
    QPushButton* m_addButton = nullptr;
    QPushButton* m_deleteButton = nullptr;
    int m_current = 0;
};

} // namespace zovi
