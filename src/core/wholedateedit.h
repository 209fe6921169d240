#pragma once

#include <QDate>
#include <QDateEdit>
#include <QLineEdit>
#include <QLocale>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <algorithm>

namespace zovi {

// A date box as wide as the widest date its display format writes in its locale, a long format
// with the names of the weekday and the month included; a plain date box measures only the
// first and the last date of its range, and cuts a date with a longer weekday or month name.
class WholeDateEdit : public QDateEdit {
public:
    using QDateEdit::QDateEdit;

    QSize sizeHint() const override { return QDateEdit::sizeHint().expandedTo(wholeSize()); }
    QSize minimumSizeHint() const override {
        return QDateEdit::minimumSizeHint().expandedTo(wholeSize());
    }

    // The widest text of the display format: every weekday in every month, on a day with two
    // digits.
    int widestTextWidth() const {
        const QFontMetrics metrics = fontMetrics();
        int widest = 0;
        for (int month = 1; month <= 12; ++month) {
            for (int day = 22; day <= 28; ++day) {
                const QString text = locale().toString(QDate(2000, month, day), displayFormat());
                widest = std::max(widest, metrics.horizontalAdvance(text));
            }
        }
        return widest;
    }

private:
    // The box around the widest text, with the room the box leaves for the cursor.
    QSize wholeSize() const {
        ensurePolished();
        QStyleOptionSpinBox option;
        initStyleOption(&option);
        const QSize text(widestTextWidth() + fontMetrics().horizontalAdvance(QLatin1Char(' ')) + 2,
                         lineEdit()->sizeHint().height());
        return style()->sizeFromContents(QStyle::CT_SpinBox, &option, text, this);
    }
};

} // namespace zovi
