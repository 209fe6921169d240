#pragma once

#include <QMenu>

namespace zovi {

struct DatePeriod;

// The date menu of the quick filter: the months of the current year (named in the chosen
// language, again whenever it changes), the current year, the
// current month and today, opened on the date controls and reached by keys from anywhere in the
// main window. Each choice announces its period; all but today ask for a refilter.
class DateMenu : public QMenu {
    Q_OBJECT

public:
    explicit DateMenu(QWidget* parent = nullptr);

    // The month of the current year, to its last day.
    void chooseMonth(int month);
    void chooseCurrentYear();
    void chooseCurrentMonth();
    void chooseToday();

    // The menu opens on the context menu of each of these controls.
    void openOn(const QList<QWidget*>& controls);
    // The actions with keys, which the window that shows the menu's controls must hold.
    const QList<QAction*>& keyActions() const { return m_keyActions; }

Q_SIGNALS:
    void periodChosen(const DatePeriod& period, bool refilter);

protected:
    void changeEvent(QEvent* event) override;

private:
    void nameMonths();
    // Applies the translation table to the period captions; a missing key keeps the built-in one.
    void translate();
    QAction* addKeyAction(const QString& name, const char* caption, const QKeySequence& keys);

    QList<QAction*> m_keyActions;
    QList<QAction*> m_monthActions;
};

} // namespace zovi
