#include "ledger/datemenu.h"

#include "core/clock.h"
#include "core/lang.h"
#include "core/layouts.h"
#include "views/dateperiods.h"

#include <QAction>
#include <QKeySequence>

namespace zovi {

DateMenu::DateMenu(QWidget* parent) : QMenu(parent) {
    setObjectName(QStringLiteral("PopupDate"));
    static const char* const kMonths[12] = {"Январь",   "Февраль", "Март",   "Апрель",
                                            "Май",      "Июнь",    "Июль",   "Август",
                                            "Сентябрь", "Октябрь", "Ноябрь", "Декабрь"};
    for (int month = 1; month <= 12; ++month) {
        QAction* a = addKeyAction(QStringLiteral("NM%1").arg(month), kMonths[month - 1],
                                  QKeySequence(Qt::SHIFT | Qt::Key(Qt::Key_F1 + month - 1)));
        connect(a, &QAction::triggered, this, [this, month] { chooseMonth(month); });
    }
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
    int row = 0;
    for (const char* key :
         {"january", "february", "march", "april", "may", "june", "july", "august", "september",
          "october", "november", "december", "current year", "current month", "today"}) {
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
