#include "tools/calendarwindow.h"

#include "core/clock.h"
#include "core/lang.h"
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
    Calendar1 = new QCalendarWidget(this);
    Calendar1->setObjectName(u"Calendar1"_s);
    Calendar1->setGridVisible(true);
    layout->addWidget(Calendar1);
    Button1 = new QPushButton(u"&Ok"_s, this);
    Button1->setObjectName(u"Button1"_s);
    Button1->setDefault(true);
    layout->addLayout(ButtonRow({Button1}));
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
}

void CalendarWindow::showEvent(QShowEvent* event) {
    setWindowTitle(LangText(u"calendar"_s, u"Calendar"_s));
    Button1->setText(LangText(u"ok"_s, u"&Ok"_s));
    // The program may run over midnight: yesterday's mark goes, today's comes.
    if (m_marked.isValid())
        Calendar1->setDateTextFormat(m_marked, QTextCharFormat());
    m_marked = Clock::today();
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    Calendar1->setDateTextFormat(m_marked, bold);
    Calendar1->setSelectedDate(m_marked);
    Calendar1->setCurrentPage(m_marked.year(), m_marked.month());
    QDialog::showEvent(event);
}

} // namespace zovi
