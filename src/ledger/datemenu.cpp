#include "ledger/datemenu.h"

#include "core/clock.h"
#include "core/lang.h"
#include "core/language.h"
#include "core/layouts.h"
#include "views/dateperiods.h"

#include <QAction>
#include <QEvent>
#include <QKeySequence>

namespace zovi {

DateMenu::DateMenu(QWidget* parent) : QMenu(parent) {
    setObjectName(QStringLiteral("PopupDate"));
    for (int month = 1; month <= 12; ++month) {
        QAction* a = addKeyAction(QStringLiteral("NM%1").arg(month), "",
                                  QKeySequence(Qt::SHIFT | Qt::Key(Qt::Key_F1 + month - 1)));
        connect(a, &QAction::triggered, this, [this, month] { chooseMonth(month); });
        m_monthActions << a;
    }
    nameMonths();
    addSeparator();
    connect(addKeyAction(QStringLiteral("N14"), "Текущий год",
                         QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Y)),
            &QAction::triggered, this, &DateMenu::chooseCurrentYear);
    connect(addKeyAction(QStringLiteral("N15"), "Текущий месяц",
                         QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_M)),
            &QAction::triggered, this, &DateMenu::chooseCurrentMonth);
    connect(addKeyAction(QStringLiteral("Ct1"), "Сегодня",
                         QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_T)),
            &QAction::triggered, this, &DateMenu::chooseToday);
    translate();
    connect(this, &QMenu::aboutToShow, this, &DateMenu::translate);
}

void DateMenu::translate() {
    // The months are named by the language's own calendar names (nameMonths); the three
    // periods after them come from the translation table.
    int row = m_monthActions.size();
    for (const char* key : {"current year", "current month", "today"}) {
        QAction* a = m_keyActions.at(row++);
        QString caption = a->text();
        LangString(QString::fromLatin1(key), caption);
        a->setText(caption);
    }
}

QAction* DateMenu::addKeyAction(const QString& name, const char* caption,
                                const QKeySequence& keys) {
    auto* a = Named(new QAction(QString::fromUtf8(caption), this), name);
    a->setShortcut(keys);
    // The keys work wherever the focus is in the main window.
    a->setShortcutContext(Qt::WindowShortcut);
    addAction(a);
    m_keyActions << a;
    return a;
}

void DateMenu::nameMonths() {
    const QLocale names = DateNamesLocale();
    for (int month = 1; month <= m_monthActions.size(); ++month) {
        // Standalone, as a menu item names the month; Russian writes it in small letters.
        QString name = names.standaloneMonthName(month, QLocale::LongFormat);
        if (!name.isEmpty())
            name[0] = name.at(0).toUpper();
        m_monthActions.at(month - 1)->setText(name);
    }
}

void DateMenu::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        nameMonths();
    QMenu::changeEvent(event);
}

void DateMenu::openOn(const QList<QWidget*>& controls) {
    for (QWidget* control : controls) {
        control->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(control, &QWidget::customContextMenuRequested, this,
                [this, control](const QPoint& pos) { popup(control->mapToGlobal(pos)); });
    }
}

void DateMenu::chooseMonth(int month) {
    Q_EMIT periodChosen(Month(Clock::today().year(), month), true);
}

void DateMenu::chooseCurrentYear() {
    Q_EMIT periodChosen(CurrentYear(Clock::today()), true);
}

void DateMenu::chooseCurrentMonth() {
    Q_EMIT periodChosen(CurrentMonth(Clock::today()), true);
}

void DateMenu::chooseToday() {
    Q_EMIT periodChosen(Today(Clock::today()), false);
}

} // namespace zovi
