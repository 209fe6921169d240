#pragma once

#include <QDate>
#include <QDateEdit>

namespace zovi {

// The refusal of a text in a date field that is no date, with today in the locale's short form
// as the example.
QString NotADateMessage();

// The date field of every window. It shows the month and day names of the chosen language (its
// locale), again whenever the language changes, in the date form the caller gives (the user's).
// A whole date can be typed in the forms of the user's locale (ReadTypedDate): "5.3.2024",
// "05.03.2024", "5 Mar 2024", "2024-03-05"; a plain date box instead edits one part at a time,
// jumps to the month after a day of 4-9 and ignores a typed month name. Up and Down still step the
// part at the cursor and the calendar still pops up. A text that is no date changes nothing: it
// stays, drawn in red, until it is corrected or the date is set, and hasAcceptableInput() tells a
// dialog's check so.
//
// The box is as wide as the widest date its display format writes in its locale, a long format
// with the names of the weekday and the month included; a plain date box measures only the
// first and the last date of its range, and cuts a date with a longer weekday or month name.
class WholeDateEdit : public QDateEdit {
    Q_OBJECT

public:
    explicit WholeDateEdit(QWidget* parent = nullptr);
    WholeDateEdit(const QDate& date, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The widest text of the display format: every weekday in every month, on a day with two
    // digits.
    int widestTextWidth() const;

    QValidator::State validate(QString& text, int& pos) const override;
    void fixup(QString& text) const override;

protected:
    QDateTime dateTimeFromText(const QString& text) const override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    // The box around the widest text, with the room the box leaves for the cursor.
    QSize wholeSize() const;
    // The date the text names within the allowed range, or an invalid date.
    QDate typedDate(const QString& text) const;
    // Lets the cursor choose the part of the date Up and Down step, or, while a text is
    // typed, not; followParts(true) is called only where the text shows the date again.
    void followParts(bool follow);
    // The pop-up calendar in the box's names, its week starting as in the user's locale.
    void nameCalendar();
    // Draws the text red while it is no date.
    void markText();

    bool m_followingParts = true;
};

} // namespace zovi
