#include "ledger/repeatbox.h"

#include "core/lang.h"
#include "core/layouts.h"
#include "core/wholedateedit.h"
#include "ledger/entrycontrols.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>

namespace zovi {

RepeatBox::RepeatBox(QWidget* parent) : QGroupBox(parent) {
    setObjectName(QStringLiteral("repeatBox"));
    setCheckable(true);
    setChecked(false);
    m_everyLabel = new QLabel(this);
    m_everyBox = Named(new QComboBox(this), "repeatEveryBox");
    m_everyBox->addItems({QString(), QString(), QString()});
    m_everyLabel->setBuddy(m_everyBox);
    m_countRadio = Named(new QRadioButton(this), "repeatCountRadio");
    m_countSpin = Named(new QSpinBox(this), "repeatCountSpin");
    m_countSpin->setRange(2, kRepeatLimit);
    m_untilRadio = Named(new QRadioButton(this), "repeatUntilRadio");
    m_untilDate = Named(new WholeDateEdit(this), "repeatUntilDate");
    // Shown as the entry's date above it.
    m_untilDate->setCalendarPopup(true);
    m_untilDate->setDisplayFormat(QLocale().dateFormat(QLocale::LongFormat));
    m_countRadio->setChecked(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_everyLabel, 0, 0);
    grid->addWidget(m_everyBox, 0, 1);
    grid->addWidget(m_countRadio, 1, 0);
    grid->addWidget(m_countSpin, 1, 1);
    grid->addWidget(m_untilRadio, 2, 0);
    grid->addWidget(m_untilDate, 2, 1);
    grid->setColumnStretch(1, 1);

    // The number of times and the end date are usable only while they are chosen.
    const auto follow = [this] {
        m_countSpin->setEnabled(m_countRadio->isChecked());
        m_untilDate->setEnabled(m_untilRadio->isChecked());
    };
    connect(m_countRadio, &QRadioButton::toggled, this, follow);
    follow();
    translate();
}

void RepeatBox::reset(const QDate& first) {
    setChecked(false);
    m_everyBox->setCurrentIndex(int(RepeatEvery::Month));
    m_countRadio->setChecked(true);
    m_countSpin->setValue(12);
    m_untilDate->setDate(first.addYears(1));
}

std::optional<Repeat> RepeatBox::repeat() const {
    if (!isChecked())
        return std::nullopt;
    Repeat r;
    r.every = RepeatEvery(m_everyBox->currentIndex());
    if (m_countRadio->isChecked())
        r.count = m_countSpin->value();
    else
        r.until = m_untilDate->date();
    return r;
}

std::optional<EntryRefusal> RepeatBox::refusal(const QDate& first) const {
    const auto r = repeat();
    if (!r)
        return std::nullopt;
    auto message = m_untilRadio->isChecked() && !m_untilDate->hasAcceptableInput()
                       ? std::optional<QString>(NotADateMessage())
                       : RepeatRefusal(first, *r);
    if (!message)
        return std::nullopt;
    return EntryRefusal{QString(), *message, EntryInput::Repeat};
}

QWidget* RepeatBox::refusedControl() const {
    return m_untilRadio->isChecked() ? static_cast<QWidget*>(m_untilDate) : m_countSpin;
}

void RepeatBox::translate() {
    setTitle(LangText(QStringLiteral("repeat"), QStringLiteral("Repeat")));
    m_everyLabel->setText(LangText(QStringLiteral("repeat every"), QStringLiteral("&How often:")));
    m_everyBox->setItemText(int(RepeatEvery::Week),
                            LangText(QStringLiteral("repeat week"), QStringLiteral("every week")));
    m_everyBox->setItemText(int(RepeatEvery::Month), LangText(QStringLiteral("repeat month"),
                                                              QStringLiteral("every month")));
    m_everyBox->setItemText(int(RepeatEvery::Year),
                            LangText(QStringLiteral("repeat year"), QStringLiteral("every year")));
    m_countRadio->setText(
        LangText(QStringLiteral("repeat times"), QStringLiteral("&Number of times:")));
    m_untilRadio->setText(LangText(QStringLiteral("repeat until date"), QStringLiteral("&Until:")));
    // The fields are named by their choice for screen readers.
    m_countSpin->setAccessibleName(m_countRadio->text().remove(u'&'));
    m_untilDate->setAccessibleName(m_untilRadio->text().remove(u'&'));
    setToolTip(LangText(QStringLiteral("repeat hint"),
                        QStringLiteral("Store the entry again every week, month or year; the "
                                       "number of times counts the entry itself. The later "
                                       "entries are planned ones.")));
}

void RepeatBox::chainFocus(QWidget* before, QWidget* after) {
    ChainFocus(
        {before, this, m_everyBox, m_countRadio, m_countSpin, m_untilRadio, m_untilDate, after});
}

} // namespace zovi
