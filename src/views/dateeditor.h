#pragma once

#include <QDate>
#include <QDialog>

class QDateEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace zovi {

// The month chooser of the date-period editor: the twelve months and a year from 1900 to 2100.
// OK is enabled once a month is chosen. The year is first the current one and afterwards the
// last one the chooser showed, as long as the program runs.
class MonthPicker : public QDialog {
    Q_OBJECT

public:
    explicit MonthPicker(QWidget* parent = nullptr);

    // The chosen month (1 to 12, 0 while none is chosen) and year.
    int month() const;
    int year() const;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QListWidget* m_monthList = nullptr;
    QSpinBox* m_yearBox = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};

// The date-period editor: "Date of begin" and "Date of end" with the buttons "day", "week",
// "month" and "..." (another month, through the month chooser). The caller sets the caption and
// the dates, and reads both dates after OK.
class DateEditor : public QDialog {
    Q_OBJECT

public:
    explicit DateEditor(QWidget* parent = nullptr);

    void setPeriod(const QDate& from, const QDate& to);
    QDate from() const;
    QDate to() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void onOtherMonthClicked();

    QDateEdit* m_fromEdit = nullptr;
    QDateEdit* m_toEdit = nullptr;
    QPushButton* m_todayButton = nullptr;
    QPushButton* m_weekButton = nullptr;
    QPushButton* m_monthButton = nullptr;
    QPushButton* m_otherMonthButton = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    MonthPicker* m_monthPicker = nullptr;
};

} // namespace zovi
