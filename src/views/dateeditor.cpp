// The date-period editor of the selection lists and its month chooser.
#include "views/dateeditor.h"

#include "core/clock.h"
#include "core/lang.h"
#include "core/layouts.h"
#include "core/locale.h"
#include "core/messages.h"
#include "core/translate.h"
#include "core/wholedateedit.h"
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
    m_monthList = Named(new QListWidget(this), "ListBox1");
    m_monthList->addItems({S(" January"), S(" February"), S(" March"), S(" April"), S(" May"),
                           S(" June"), S(" July"), S(" August"), S(" September"), S(" October"),
                           S(" November"), S(" December")});
    m_monthList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_yearBox = Named(new QSpinBox(this), "SpinEdit1");
    m_yearBox->setRange(1900, 2100);
    m_okButton = Named(new QPushButton(S("OK"), this), "Button1");
    m_okButton->setDefault(true);
    m_okButton->setEnabled(false);
    m_cancelButton = Named(new QPushButton(S("Cancel"), this), "Button2");

    // Without a border the window draws its own edge.
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    auto* inner = new QVBoxLayout(frame);
    inner->addWidget(m_monthList, 1);
    inner->addWidget(m_yearBox);
    inner->addLayout(ButtonRow({m_okButton, m_cancelButton}));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame);
    setMinimumSize(200, 300);

    connect(m_monthList, &QListWidget::itemSelectionChanged, this,
            [this] { m_okButton->setEnabled(month() != 0); });
    connect(m_monthList, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

int MonthPicker::month() const {
    const QList<QListWidgetItem*> chosen = m_monthList->selectedItems();
    return chosen.isEmpty() ? 0 : m_monthList->row(chosen.first()) + 1;
}

int MonthPicker::year() const {
    return m_yearBox->value();
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
        QListWidgetItem* item = m_monthList->item(row++);
        QString name = item->text().mid(1);
        LangString(QString::fromLatin1(key), name);
        item->setText(u' ' + name);
    }
    TranslateOkCancel(m_okButton, m_cancelButton);
    m_monthList->clearSelection();
    m_monthList->setCurrentRow(-1);
    m_okButton->setEnabled(false);
    m_yearBox->setValue(g_lastYear != 0 ? g_lastYear : Clock::today().year());
    m_monthList->setFocus();
    QDialog::showEvent(event);
}

// ---- the date-period editor ----

DateEditor::DateEditor(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TfEditDate"));
    setModal(true);
    m_fromEdit = Named(new WholeDateEdit(Clock::today(), this), "DateTimePicker1");
    m_toEdit = Named(new WholeDateEdit(Clock::today(), this), "DateTimePicker2");
    m_fromEdit->setToolTip(S("Date of begin"));
    m_toEdit->setToolTip(S("Date of end"));
    for (QDateEdit* picker : {m_fromEdit, m_toEdit}) {
        picker->setCalendarPopup(true);
        picker->setDisplayFormat(AppLocale::shortDateFormat());
    }
    m_todayButton = Named(new QPushButton(S("day"), this), "SpeedButton1");
    m_weekButton = Named(new QPushButton(S("week"), this), "SpeedButton2");
    m_monthButton = Named(new QPushButton(S("month"), this), "SpeedButton3");
    m_otherMonthButton = Named(new QPushButton(S("..."), this), "SpeedButton4");
    m_todayButton->setToolTip(S("Setup date to today"));
    m_weekButton->setToolTip(S("Setup date to week"));
    m_monthButton->setToolTip(S("Setup date to month"));
    m_otherMonthButton->setToolTip(S("Setup date to other month"));
    for (QPushButton* b : {m_todayButton, m_weekButton, m_monthButton, m_otherMonthButton})
        b->setAutoDefault(false);
    m_okButton = Named(new QPushButton(S("OK"), this), "Button1");
    m_okButton->setDefault(true);
    m_cancelButton = Named(new QPushButton(S("Cancel"), this), "Button2");
    m_monthPicker = new MonthPicker(this);

    auto* layout = new QVBoxLayout(this);
    auto* dates = new QHBoxLayout;
    dates->addWidget(m_fromEdit, 1);
    dates->addWidget(new QLabel(S("-"), this));
    dates->addWidget(m_toEdit, 1);
    layout->addLayout(dates);
    auto* shortcuts = new QHBoxLayout;
    for (QPushButton* b : {m_todayButton, m_weekButton, m_monthButton, m_otherMonthButton})
        shortcuts->addWidget(b);
    layout->addLayout(shortcuts);
    layout->addLayout(ButtonRow({m_okButton, m_cancelButton}));

    auto apply = [this](const DatePeriod& period) {
        setPeriod(period.from, period.to);
    };
    connect(m_todayButton, &QPushButton::clicked, this, [apply] { apply(Today(Clock::today())); });
    connect(m_weekButton, &QPushButton::clicked, this, [apply] { apply(Week(Clock::today())); });
    connect(m_monthButton, &QPushButton::clicked, this,
            [apply] { apply(CurrentMonth(Clock::today())); });
    connect(m_otherMonthButton, &QPushButton::clicked, this, &DateEditor::onOtherMonthClicked);
    // A period with a typed text that is no date is refused, with the field focused.
    connect(m_okButton, &QPushButton::clicked, this, [this] {
        for (QDateEdit* picker : {m_fromEdit, m_toEdit}) {
            if (!picker->hasAcceptableInput()) {
                Messages::error(this, NotADateMessage());
                picker->setFocus();
                return;
            }
        }
        accept();
    });
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void DateEditor::setPeriod(const QDate& from, const QDate& to) {
    m_fromEdit->setDate(from);
    m_toEdit->setDate(to);
}

QDate DateEditor::from() const {
    return m_fromEdit->date();
}

QDate DateEditor::to() const {
    return m_toEdit->date();
}

void DateEditor::showEvent(QShowEvent* event) {
    Translate(m_todayButton, QStringLiteral("day"));
    Translate(m_weekButton, QStringLiteral("week"));
    Translate(m_monthButton, QStringLiteral("month"));
    TranslateOkCancel(m_okButton, m_cancelButton);
    QDialog::showEvent(event);
}

void DateEditor::onOtherMonthClicked() {
    if (m_monthPicker->exec() != QDialog::Accepted)
        return;
    const DatePeriod period = Month(m_monthPicker->year(), m_monthPicker->month());
    setPeriod(period.from, period.to);
}

} // namespace zovi
