#include "ledger/entrycontrols.h"

#include "ledger/standardentry.h"

#include "core/layouts.h"
#include "core/messages.h"
#include "core/textutil.h"
#include "core/translate.h"
#include "core/wholedateedit.h"
#include "store/table.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace zovi {

QToolButton* SmallButton(QWidget* parent, const char* name, const QString& text) {
    auto* button = Named(new QToolButton(parent), name);
    button->setText(text);
    button->setFocusPolicy(Qt::TabFocus);
    // The skins mark no focused tool button; a keyboard user must see where Tab went.
    button->setStyleSheet(
        QStringLiteral("QToolButton:focus { border: 1px solid #E8A33D; border-radius: 3px; }"));
    return button;
}

QToolButton* ChoiceButton(QWidget* parent, const char* name, const QString& text) {
    auto* button = Named(new QToolButton(parent), name);
    button->setText(text);
    button->setCheckable(true);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // Skins draw tool buttons flat, some without any mark for a checked one. The border keeps
    // its width when focused so that the text does not move.
    button->setStyleSheet(
        QStringLiteral(
            "QToolButton { border: 1px solid #8C98AA; border-radius: 3px; padding: 4px 9px; }") +
        ChosenLook("QToolButton:checked") +
        QStringLiteral("QToolButton:checked:disabled { background: #8A97C4; color: #F4F4F4; }"
                       "QToolButton:focus { border: 2px solid #E8A33D; padding: 3px 8px; }"));
    return button;
}

QString ChosenLook(const char* selector) {
    return QString::fromLatin1(selector) +
           QStringLiteral(" { background: #3F5BBC; color: white; border-color: #3F5BBC; }");
}

QButtonGroup* Choice(QWidget* parent, std::initializer_list<QAbstractButton*> buttons) {
    auto* group = new QButtonGroup(parent);
    group->setExclusive(true);
    for (QAbstractButton* button : buttons) {
        button->setFocusPolicy(Qt::StrongFocus);
        group->addButton(button);
    }
    // Qt lets Tab stop on the button of a group focused last; the chosen one is where a
    // keyboard user expects to land. While none is chosen, Tab reaches every one.
    QObject::connect(group, &QButtonGroup::buttonToggled, group, [group] {
        const bool chosen = group->checkedButton() != nullptr;
        for (QAbstractButton* button : group->buttons())
            button->setFocusPolicy(!chosen || button->isChecked() ? Qt::StrongFocus
                                                                  : Qt::ClickFocus);
    });
    return group;
}

void ChainFocus(std::initializer_list<QWidget*> controls) {
    QWidget* previous = nullptr;
    for (QWidget* control : controls) {
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

QGroupBox* Frame(QWidget* parent, const QString& caption, std::initializer_list<QWidget*> row) {
    auto* frame = new QGroupBox(caption, parent);
    auto* layout = new QHBoxLayout(frame);
    for (QWidget* w : row)
        layout->addWidget(w, qobject_cast<QToolButton*>(w) ? 0 : 1);
    return frame;
}

void Select(QComboBox* list, const QString& text) {
    list->setCurrentIndex(list->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

QStringList Names(TableHandle& table) {
    QStringList names;
    if (!table.isOpen())
        return names;
    // The accounts (Gr1) and the group tables all keep a row's name in Name.
    const int column = table.fieldIndex(fields::Gr1::Name);
    for (int row = 0; row < table.recordCount(); ++row)
        names << table.textAt(row, column);
    return names;
}

void FillCurrencySigns(QComboBox* list, TableHandle& valuta) {
    list->clear();
    list->addItems(CurrencySigns(valuta));
    list->setCurrentIndex(list->count() > 0 ? 0 : -1);
}

void ConnectDateSteps(QToolButton* back, QToolButton* forward, QDateEdit* date) {
    QObject::connect(back, &QToolButton::clicked, date,
                     [date] { date->setDate(date->date().addDays(-1)); });
    QObject::connect(forward, &QToolButton::clicked, date,
                     [date] { date->setDate(date->date().addDays(1)); });
}

void CalculateInto(const AmountCalculator& calculator, QLineEdit* field) {
    if (!calculator)
        return;
    // The calculator starts from the normalised amount, or empty when it is no number.
    QString amount;
    if (!IsNotNumber(field->text()))
        NormalizeDecimal(field->text(), amount);
    if (calculator(amount))
        field->setText(amount);
}

EntryDialog::EntryDialog(LedgerTables& tables, const char* name, QWidget* parent)
    : FadingDialog(parent), m_data(tables) {
    setObjectName(QString::fromLatin1(name));
    setModal(true);
}

QGroupBox* EntryDialog::makeDateRow(const char* dateName) {
    m_date = Named(new WholeDateEdit(this), dateName);
    m_date->setCalendarPopup(true);
    m_date->setDisplayFormat(QLocale().dateFormat(QLocale::LongFormat));
    m_dayBackButton = SmallButton(this, "SpeedButton3", QStringLiteral("<"));
    m_dayForwardButton = SmallButton(this, "SpeedButton4", QStringLiteral(">"));
    ConnectDateSteps(m_dayBackButton, m_dayForwardButton, m_date);
    m_dateFrame =
        Frame(this, QStringLiteral(" Date "), {m_dayBackButton, m_date, m_dayForwardButton});
    return m_dateFrame;
}

void EntryDialog::layOut(std::initializer_list<QGroupBox*> frames) {
    m_okButton = Named(new QPushButton(QStringLiteral("OK"), this), "Button1");
    m_okButton->setDefault(true);
    m_cancelButton = Named(new QPushButton(QStringLiteral("Cancel"), this), "Button2");
    auto* layout = new QVBoxLayout(this);
    for (QGroupBox* frame : frames)
        layout->addWidget(frame);
    layout->addLayout(ButtonRow({m_okButton, m_cancelButton}));
    setMinimumWidth(360);
    connect(m_okButton, &QPushButton::clicked, this, &EntryDialog::onOkClicked);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void EntryDialog::onOkClicked() {
    if (m_date && !m_date->hasAcceptableInput()) {
        Messages::error(this, NotADateMessage());
        m_date->setFocus();
        return;
    }
    if (const auto refusal = checkInput()) {
        Messages::error(this, refusal->message());
        if (QWidget* field = control(refusal->input))
            field->setFocus();
        return;
    }
    accept();
}

void EntryDialog::showEvent(QShowEvent* event) {
    if (m_dateFrame) {
        Translate(m_dateFrame, QStringLiteral("date"));
        m_date->setFocus();
    }
    translateFrames();
    TranslateOkCancel(m_okButton, m_cancelButton);
    Translate(this, m_captionKey);
    FadingDialog::showEvent(event);
}

} // namespace zovi
