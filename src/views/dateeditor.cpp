// The date-period editor of the selection lists and its month chooser.
#include "views/dateeditor.h"

#include "core/clock.h"
#include "core/lang.h"
#include "core/layouts.h"
#include "core/locale.h"
#include "core/translate.h"
#include "views/dateperiods.h"

#include <QDateEdit>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace zovi {

namespace {

// The year the month chooser showed last; 0 until it was first shown.
int g_lastYear = 0;

QString S(const char* text) {
    return QString::fromUtf8(text);
}

} // namespace

// ---- the month chooser ----

MonthPicker::MonthPicker(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("TSelMonth"));
    setModal(true);
    ListBox1 = Named(new QListWidget(this), "ListBox1");
    ListBox1->addItems({S(" January"), S(" February"), S(" March"), S(" April"), S(" May"),
                        S(" June"), S(" July"), S(" August"), S(" September"), S(" October"),
                        S(" November"), S(" December")});
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    SpinEdit1 = Named(new QSpinBox(this), "SpinEdit1");
    SpinEdit1->setRange(1900, 2100);
    Button1 = Named(new QPushButton(S("OK"), this), "Button1");
    Button1->setDefault(true);
    Button1->setEnabled(false);
    Button2 = Named(new QPushButton(S("Cancel"), this), "Button2");

    // Without a border the window draws its own edge.
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    auto* inner = new QVBoxLayout(frame);
    inner->addWidget(ListBox1, 1);
    inner->addWidget(SpinEdit1);
    inner->addLayout(ButtonRow({Button1, Button2}));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame);
    setMinimumSize(200, 300);

    connect(ListBox1, &QListWidget::itemSelectionChanged, this,
            [this] { Button1->setEnabled(month() != 0); });
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

int MonthPicker::month() const {
    const QList<QListWidgetItem*> chosen = ListBox1->selectedItems();
    return chosen.isEmpty() ? 0 : ListBox1->row(chosen.first()) + 1;
}

int MonthPicker::year() const {
    return SpinEdit1->value();
}

void MonthPicker::done(int result) {
    // Nothing but a chosen month is accepted, however OK was reached.
    if (result == Accepted && month() == 0)
        return;
    g_lastYear = year();
    QDialog::done(result);
}

void MonthPicker::showEvent(QShowEvent* event) {
    int row = 0;
    for (const char* key : {"january", "february", "march", "april", "may", "june", "july",
                            "august", "september", "october", "november", "december"}) {
        QListWidgetItem* item = ListBox1->item(row++);
        QString name = item->text().mid(1);
        LangString(QString::fromLatin1(key), name);
        item->setText(u' ' + name);
    }
    ListBox1->clearSelection();
    ListBox1->setCurrentRow(-1);
    Button1->setEnabled(false);
    SpinEdit1->setValue(g_lastYear != 0 ? g_lastYear : Clock::today().year());
    ListBox1->setFocus();
    QDialog::showEvent(event);
}

// ---- the date-period editor ----

DateEditor::DateEditor(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TfEditDate"));
    setModal(true);
    DateTimePicker1 = Named(new QDateEdit(Clock::today(), this), "DateTimePicker1");
    DateTimePicker2 = Named(new QDateEdit(Clock::today(), this), "DateTimePicker2");
    DateTimePicker1->setToolTip(S("Date of begin"));
    DateTimePicker2->setToolTip(S("Date of end"));
    for (QDateEdit* picker : {DateTimePicker1, DateTimePicker2}) {
        picker->setCalendarPopup(true);
        picker->setDisplayFormat(AppLocale::shortDateFormat());
    }
    SpeedButton1 = Named(new QPushButton(S("day"), this), "SpeedButton1");
    SpeedButton2 = Named(new QPushButton(S("week"), this), "SpeedButton2");
    SpeedButton3 = Named(new QPushButton(S("month"), this), "SpeedButton3");
    SpeedButton4 = Named(new QPushButton(S("..."), this), "SpeedButton4");
    SpeedButton1->setToolTip(S("Setup date to today"));
    SpeedButton2->setToolTip(S("Setup date to week"));
    SpeedButton3->setToolTip(S("Setup date to month"));
    SpeedButton4->setToolTip(S("Setup date to other month"));
    for (QPushButton* b : {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4})
        b->setAutoDefault(false);
    Button1 = Named(new QPushButton(S("OK"), this), "Button1");
    Button1->setDefault(true);
    Button2 = Named(new QPushButton(S("Cancel"), this), "Button2");
    m_selMonth = new MonthPicker(this);

    auto* layout = new QVBoxLayout(this);
    auto* dates = new QHBoxLayout;
    dates->addWidget(DateTimePicker1, 1);
    dates->addWidget(new QLabel(S("-"), this));
    dates->addWidget(DateTimePicker2, 1);
    layout->addLayout(dates);
    auto* shortcuts = new QHBoxLayout;
    for (QPushButton* b : {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4})
        shortcuts->addWidget(b);
    layout->addLayout(shortcuts);
    layout->addLayout(ButtonRow({Button1, Button2}));

    auto apply = [this](const DatePeriod& period) {
        setPeriod(period.from, period.to);
    };
    connect(SpeedButton1, &QPushButton::clicked, this, [apply] { apply(Today(Clock::today())); });
    connect(SpeedButton2, &QPushButton::clicked, this, [apply] { apply(Week(Clock::today())); });
    connect(SpeedButton3, &QPushButton::clicked, this, [apply] {
        const QDate today = Clock::today();
        apply(RealMonth(today.year(), today.month()));
    });
    connect(SpeedButton4, &QPushButton::clicked, this, &DateEditor::otherMonth);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void DateEditor::setPeriod(const QDate& from, const QDate& to) {
    DateTimePicker1->setDate(from);
    DateTimePicker2->setDate(to);
}

QDate DateEditor::from() const {
    return DateTimePicker1->date();
}

QDate DateEditor::to() const {
    return DateTimePicker2->date();
}

void DateEditor::showEvent(QShowEvent* event) {
    Translate(SpeedButton1, QStringLiteral("day"));
    Translate(SpeedButton2, QStringLiteral("week"));
    Translate(SpeedButton3, QStringLiteral("month"));
    QDialog::showEvent(event);
}

void DateEditor::otherMonth() {
    if (m_selMonth->exec() != QDialog::Accepted)
        return;
    const DatePeriod period = RealMonth(m_selMonth->year(), m_selMonth->month());
    setPeriod(period.from, period.to);
}

} // namespace zovi
