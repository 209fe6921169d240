#include "tools/calendarwindow.h"

#include "core/clock.h"
#include "core/lang.h"
#include "core/language.h"
#include "core/layouts.h"

#include <QCalendarWidget>
#include <QPushButton>
#include <QTextCharFormat>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace zovi {

CalendarWindow::CalendarWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(u"TCalendar"_s);
    setWindowTitle(u"Calendar"_s);
    auto* layout = new QVBoxLayout(this);
    m_calendar = Named(new QCalendarWidget(this), "Calendar1");
    m_calendar->setGridVisible(true);
    layout->addWidget(m_calendar);
    m_okButton = Named(new QPushButton(u"&Ok"_s, this), "Button1");
    m_okButton->setDefault(true);
    layout->addLayout(ButtonRow({m_okButton}));
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
}

void CalendarWindow::showEvent(QShowEvent* event) {
    setWindowTitle(LangText(u"calendar"_s, u"Calendar"_s));
    m_okButton->setText(LangText(u"ok"_s, u"&Ok"_s));
    // Month and day names in the chosen language; the week starts as in the user's locale.
    m_calendar->setLocale(DateNamesLocale());
    m_calendar->setFirstDayOfWeek(QLocale().firstDayOfWeek());
    // The program may run over midnight: yesterday's mark goes, today's comes.
    if (m_marked.isValid())
        m_calendar->setDateTextFormat(m_marked, QTextCharFormat());
    m_marked = Clock::today();
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    m_calendar->setDateTextFormat(m_marked, bold);
    m_calendar->setSelectedDate(m_marked);
    m_calendar->setCurrentPage(m_marked.year(), m_marked.month());
    QDialog::showEvent(event);
}

} // namespace zovi
