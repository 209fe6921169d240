#pragma once

// CalendarWindow: a month calendar opened from "Additional" > "Calendar". It shows the month grid
// and "&Ok" (default and cancel key). Every showing turns to the month of
// today (Clock::today()), selects today and marks it in bold; the user may then leaf through the
// months freely. Month and day names are those of the chosen language, the first day of the
// week that of the user's locale.

#include <QDate>
#include <QDialog>

class QCalendarWidget;
class QPushButton;

namespace zovi {

class CalendarWindow : public QDialog {
    Q_OBJECT

public:
    explicit CalendarWindow(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QCalendarWidget* m_calendar;
    QPushButton* m_okButton;
    QDate m_marked; // the day shown in bold, today at the last showing
};

} // namespace zovi
