#include "ledger/quickfilterpage.h"

#include "core/layouts.h"
#include "core/wholedateedit.h"
#include "views/dateperiods.h"
#include "views/filterbuilder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>

namespace zovi {

QuickFilterPage::QuickFilterPage(LedgerTables& tables, QWidget* parent)
    : QWidget(parent), m_data(tables) {
    setObjectName(QStringLiteral("TabSheetFast"));
    auto* layout = new QGridLayout(this);
    m_dateCheck = Named(new QCheckBox(QStringLiteral("Date"), this), "Filter");
    m_fromCheck = Named(new QCheckBox(QStringLiteral("From"), this), "CheckBox4");
    m_toCheck = Named(new QCheckBox(QStringLiteral("To"), this), "CheckBox5");
    m_fromCheck->setChecked(true);
    m_toCheck->setChecked(true);
    m_fromDate = Named(new WholeDateEdit(this), "DateTimePicker1");
    m_toDate = Named(new WholeDateEdit(this), "DateTimePicker2");
    m_fromDate->setToolTip(QStringLiteral("Date of begin"));
    m_toDate->setToolTip(QStringLiteral("Date of end"));
    for (QDateEdit* d : {m_fromDate, m_toDate}) {
        d->setCalendarPopup(true);
        d->setContextMenuPolicy(Qt::CustomContextMenu);
    }
    m_groupCheck = Named(new QCheckBox(QStringLiteral(" Groups  "), this), "CheckBox3");
    m_groupCategory = Named(new QComboBox(this), "ComboBox2");
    m_groupCategory->setToolTip(QStringLiteral("Category of filter"));
    m_groupCategory->addItems(
        {QStringLiteral("Group of incomes"), QStringLiteral("Group of charges"),
         QStringLiteral("Sub-group of charges"), QStringLiteral("Sub-group of incomes")});
    m_groupCategory->setCurrentIndex(-1);
    m_groupValue = Named(new QComboBox(this), "ComboBox1");
    m_groupValue->setToolTip(QStringLiteral("Value of filter"));
    layout->addWidget(m_dateCheck, 0, 0);
    layout->addWidget(m_fromCheck, 0, 1);
    layout->addWidget(m_fromDate, 0, 2);
    layout->addWidget(m_toCheck, 0, 3);
    layout->addWidget(m_toDate, 0, 4);
    layout->addWidget(m_groupCheck, 1, 0);
    layout->addWidget(m_groupCategory, 1, 1, 1, 2);
    layout->addWidget(m_groupValue, 1, 3, 1, 2);

    // Each control announces a change only when the filter it feeds applies: the date tick
    // with "From" ticked, an end tick with the date ticked, a picker with its end and the date
    // ticked, the group value with the group tick.
    connect(m_dateCheck, &QCheckBox::clicked, this, [this] {
        if (m_fromCheck->isChecked())
            Q_EMIT changed();
    });
    for (QCheckBox* end : {m_fromCheck, m_toCheck}) {
        connect(end, &QCheckBox::clicked, this, [this] {
            if (m_dateCheck->isChecked())
                Q_EMIT changed();
        });
    }
    for (auto [picker, end] :
         {std::pair{m_fromDate, m_fromCheck}, std::pair{m_toDate, m_toCheck}}) {
        connect(picker, &QDateEdit::dateChanged, this, [this, end] {
            if (end->isChecked() && m_dateCheck->isChecked())
                Q_EMIT changed();
        });
    }
    connect(m_groupCheck, &QCheckBox::clicked, this, &QuickFilterPage::changed);
    connect(m_groupValue, &QComboBox::currentIndexChanged, this, [this] {
        if (m_groupCheck->isChecked())
            Q_EMIT changed();
    });
    connect(m_groupCategory, &QComboBox::currentIndexChanged, this, [this] {
        // The value list is refilled first, so that the filter uses the value it shows.
        listGroupValues();
        if (m_groupCheck->isChecked())
            Q_EMIT changed();
    });
}

void QuickFilterPage::listGroupValues() {
    const auto names = GroupFilterValues(m_data, m_groupCategory->currentIndex());
    if (!names)
        return;
    const QSignalBlocker block(m_groupValue);
    QStringList sorted = *names;
    sorted.sort(Qt::CaseInsensitive);
    m_groupValue->clear();
    m_groupValue->addItems(sorted);
}

void QuickFilterPage::setPeriod(const DatePeriod& period, bool refilter) {
    {
        const QSignalBlocker blockFrom(m_fromDate);
        const QSignalBlocker blockTo(m_toDate);
        m_fromDate->setDate(period.from);
        m_toDate->setDate(period.to);
    }
    if (refilter && m_dateCheck->isChecked())
        Q_EMIT changed();
}

void QuickFilterPage::readFilterState(FilterState& state) const {
    state.dateChecked = m_dateCheck->isChecked();
    state.fromChecked = m_fromCheck->isChecked();
    state.fromDate = m_fromDate->date();
    state.toChecked = m_toCheck->isChecked();
    state.toDate = m_toDate->date();
    state.groupsChecked = m_groupCheck->isChecked();
    state.groupCategory = m_groupCategory->currentIndex();
    state.groupValue = m_groupValue->currentText();
}

QList<QWidget*> QuickFilterPage::dateControls() const {
    return {m_dateCheck, m_fromCheck, m_toCheck, m_fromDate, m_toDate};
}

TranslationKeys QuickFilterPage::translationKeys() {
    using namespace translation;
    TranslationKeys keys = {
        {QStringLiteral("groups"), Text(m_groupCheck)},
        {QStringLiteral("date"), Text(m_dateCheck)},
        {QStringLiteral("groups of incomes"), Item(m_groupCategory, 0)},
        {QStringLiteral("groups of charges"), Item(m_groupCategory, 1)},
        {QStringLiteral("sub-groups of charges"), Item(m_groupCategory, 2)},
        {QStringLiteral("sub-groups of incomes"), Item(m_groupCategory, 3)},
        {QStringLiteral("category of filter"), Hint(m_groupCategory)},
        {QStringLiteral("value of filter"), Hint(m_groupValue)},
        {QStringLiteral("fromdate"), Text(m_fromCheck)},
        {QStringLiteral("todate"), Text(m_toCheck)},
    };
    AddNumbered(keys, "hint", 3, 13,
                {
                    Hint(m_dateCheck),
                    All({Hint(m_fromCheck), Hint(m_fromDate)}),
                    All({Hint(m_toCheck), Hint(m_toDate)}),
                    Hint(m_groupCheck),
                    Hint(m_groupCategory),
                    Hint(m_groupValue),
                });
    return keys;
}

} // namespace zovi
