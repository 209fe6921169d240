// The date shortcuts of the quick filter: the months of the current year, the current year and
// month and today, in the pop-up menu of the date controls and as keys of the main window.
#include "core/clock.h"
#include "core/layouts.h"
#include "ledger/ledgerpage.h"
#include "views/dateperiods.h"

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QKeySequence>
#include <QMenu>

namespace zovi {

void LedgerPage::buildDateMenu() {
    auto add = [this](const QString& name, const char* caption, const QKeySequence& keys) {
        auto* a = Named(new QAction(QString::fromUtf8(caption), this), name);
        a->setShortcut(keys);
        // The keys work wherever the focus is in the main window (see showEvent).
        a->setShortcutContext(Qt::WindowShortcut);
        PopupDate->addAction(a);
        addAction(a);
        m_dateActions << a;
        return a;
    };
    static const char* const kMonths[12] = {"Январь",   "Февраль", "Март",   "Апрель",
                                            "Май",      "Июнь",    "Июль",   "Август",
                                            "Сентябрь", "Октябрь", "Ноябрь", "Декабрь"};
    for (int month = 1; month <= 12; ++month) {
        QAction* a = add(QStringLiteral("NM%1").arg(month), kMonths[month - 1],
                         QKeySequence(Qt::SHIFT | Qt::Key(Qt::Key_F1 + month - 1)));
        connect(a, &QAction::triggered, this, [this, month] { NM(month); });
    }
    PopupDate->addSeparator();
    connect(add(QStringLiteral("N14"), "Текущий год", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Y)),
            &QAction::triggered, this, &LedgerPage::N14);
    connect(
        add(QStringLiteral("N15"), "Текущий месяц", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_M)),
        &QAction::triggered, this, &LedgerPage::N15);
    connect(add(QStringLiteral("Ct1"), "Сегодня", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_T)),
            &QAction::triggered, this, &LedgerPage::Ct1);

    // The menu opens on the date check boxes and on both pickers.
    for (QWidget* control : std::initializer_list<QWidget*>{Filter, CheckBox4, CheckBox5,
                                                            DateTimePicker1, DateTimePicker2}) {
        control->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(
            control, &QWidget::customContextMenuRequested, this,
            [this, control](const QPoint& pos) { PopupDate->popup(control->mapToGlobal(pos)); });
    }
}

void LedgerPage::showEvent(QShowEvent* event) {
    // The page is hidden while another page of the main window is shown; the date keys stay
    // with the window.
    if (QWidget* frame = window(); frame != this) {
        for (QAction* a : std::as_const(m_dateActions)) {
            if (!frame->actions().contains(a))
                frame->addAction(a);
        }
    }
    QWidget::showEvent(event);
}

void LedgerPage::setQuickPeriod(const DatePeriod& period, bool refilter) {
    {
        const QSignalBlocker b1(DateTimePicker1);
        const QSignalBlocker b2(DateTimePicker2);
        DateTimePicker1->setDate(period.from);
        DateTimePicker2->setDate(period.to);
    }
    if (refilter && CheckBox7->isChecked() && Filter->isChecked())
        SelFilter();
}

void LedgerPage::NM(int month) {
    setQuickPeriod(MonthOfTable(Clock::today().year(), month), true);
}

void LedgerPage::N14() {
    setQuickPeriod(CurrentYear(Clock::today()), true);
}

void LedgerPage::N15() {
    setQuickPeriod(CurrentMonthOfTable(Clock::today()), true);
}

void LedgerPage::Ct1() {
    setQuickPeriod(Today(Clock::today()), false);
}

} // namespace zovi
