#include "core/wholedateedit.h"

#include "core/clock.h"
#include "core/lang.h"
#include "core/language.h"
#include "core/locale.h"

#include <QCalendarWidget>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <algorithm>

namespace zovi {

QString NotADateMessage() {
    return LangText(QStringLiteral("datenotdate"),
                    QStringLiteral("This is not a date. Type a date such as %1."))
        .arg(QLocale().toString(Clock::today(), QLocale::ShortFormat));
}

WholeDateEdit::WholeDateEdit(QWidget* parent) : WholeDateEdit(QDate(2000, 1, 1), parent) {}

WholeDateEdit::WholeDateEdit(const QDate& date, QWidget* parent) : QDateEdit(date, parent) {
    connect(lineEdit(), &QLineEdit::textChanged, this, &WholeDateEdit::markText);
    setLocale(DateNamesLocale());
}

QSize WholeDateEdit::sizeHint() const {
    return QDateEdit::sizeHint().expandedTo(wholeSize());
}

QSize WholeDateEdit::minimumSizeHint() const {
    return QDateEdit::minimumSizeHint().expandedTo(wholeSize());
}

int WholeDateEdit::widestTextWidth() const {
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

QSize WholeDateEdit::wholeSize() const {
    ensurePolished();
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    const QSize text(widestTextWidth() + fontMetrics().horizontalAdvance(QLatin1Char(' ')) + 2,
                     lineEdit()->sizeHint().height());
    return style()->sizeFromContents(QStyle::CT_SpinBox, &option, text, this);
}

QDate WholeDateEdit::typedDate(const QString& text) const {
    // The order of a typed date is the user's; its names may be those the box shows.
    const QDate date = ReadTypedDate(text, QLocale(), displayFormat(), locale());
    return date.isValid() && date >= minimumDate() && date <= maximumDate() ? date : QDate();
}

QValidator::State WholeDateEdit::validate(QString& text, int&) const {
    if (typedDate(text).isValid())
        return QValidator::Acceptable;
    return MayBecomeDate(text) ? QValidator::Intermediate : QValidator::Invalid;
}

void WholeDateEdit::fixup(QString&) const {
    // A text that is no date is left as typed, for the user to see and correct.
}

QDateTime WholeDateEdit::dateTimeFromText(const QString& text) const {
    const QDate date = typedDate(text);
    return date.isValid() ? QDateTime(date, time(), timeSpec()) : dateTime();
}

void WholeDateEdit::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        setLocale(DateNamesLocale());
        updateGeometry();
    }
    QDateEdit::changeEvent(event);
}

void WholeDateEdit::mousePressEvent(QMouseEvent* event) {
    nameCalendar();
    QDateEdit::mousePressEvent(event);
}

void WholeDateEdit::nameCalendar() {
    // The pop-up calendar is a window of its own, which takes the default locale, not the box's.
    if (!calendarPopup())
        return;
    QCalendarWidget* calendar = calendarWidget();
    calendar->setLocale(locale());
    calendar->setFirstDayOfWeek(QLocale().firstDayOfWeek());
}

void WholeDateEdit::keyPressEvent(QKeyEvent* event) {
    nameCalendar();
    const bool typed = !event->text().isEmpty() && event->text().front().isPrint() &&
                       !(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier));
    const bool erased = event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete;
    const bool entered = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (typed || erased) {
        // Plain text editing: the date box would fit each key into one part of the date, and
        // would put the date back over a text that is no date yet as the cursor moves.
        followParts(false);
        QAbstractSpinBox::keyPressEvent(event);
    } else if (entered && !hasAcceptableInput()) {
        // Enter passes to the dialog without putting the last date back over the text, so the
        // dialog's check sees the text is no date.
        event->ignore();
    } else {
        followParts(true);
        QDateEdit::keyPressEvent(event);
    }
}

void WholeDateEdit::focusInEvent(QFocusEvent* event) {
    if (!hasAcceptableInput()) {
        // The refused text stays for correction.
        QAbstractSpinBox::focusInEvent(event);
        return;
    }
    followParts(true);
    QDateEdit::focusInEvent(event);
    if (event->reason() != Qt::MouseFocusReason && event->reason() != Qt::PopupFocusReason &&
        event->reason() != Qt::ActiveWindowFocusReason) {
        // The whole date is selected, so typing replaces it; the cursor stays at the start,
        // in the part Up and Down step.
        const int length = int(lineEdit()->text().size());
        lineEdit()->setSelection(length, -length);
    }
}

void WholeDateEdit::focusOutEvent(QFocusEvent* event) {
    if (hasAcceptableInput()) {
        QDateEdit::focusOutEvent(event);
        return;
    }
    // The date box would put the last date back over the text; it stays, marked as no date.
    lineEdit()->event(event);
    QWidget::focusOutEvent(event);
}

bool WholeDateEdit::focusNextPrevChild(bool next) {
    // Tab leaves the field instead of walking through the parts of a typed text.
    return QWidget::focusNextPrevChild(next);
}

void WholeDateEdit::followParts(bool follow) {
    // The date box's own link from the cursor to the part Up and Down step.
    const char* signal = SIGNAL(cursorPositionChanged(int, int));
    const char* slot = SLOT(_q_editorCursorPositionChanged(int, int));
    if (follow && !m_followingParts)
        connect(lineEdit(), signal, this, slot);
    else if (!follow && m_followingParts)
        disconnect(lineEdit(), signal, this, slot);
    m_followingParts = follow;
}

void WholeDateEdit::markText() {
    lineEdit()->setStyleSheet(
        hasAcceptableInput() ? QString() : QStringLiteral("QLineEdit { color: #c00000; }"));
}

} // namespace zovi
