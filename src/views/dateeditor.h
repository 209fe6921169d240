#pragma once

#include <QDate>
#include <QDialog>

class QDateEdit;

namespace zovi {

// The date-period editor: "Date of begin" and "Date of end" with the buttons "day", "week",
// "month" and "..." (another month, through the month chooser). The caller sets the caption and
// the dates, and reads both dates after OK.
class TfEditDate : public QDialog {
    Q_OBJECT

public:
    explicit TfEditDate(QWidget* parent = nullptr);

    void setPeriod(const QDate& from, const QDate& to);
    QDate from() const;
    QDate to() const;

private:
    QDateEdit* DateTimePicker1 = nullptr;
    QDateEdit* DateTimePicker2 = nullptr;
};

} // namespace zovi
