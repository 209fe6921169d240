#include "views/selectionlists.h"

#include "core/layouts.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace zovi {

namespace {

QFont WithWeight(QFont font, bool bold) {
    font.setBold(bold);
    return font;
}

} // namespace

SelectionListsFrame::SelectionListsFrame(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* boxes = new QHBoxLayout;
    layout->addLayout(boxes);
    static const char* const captions[kLists] = {
        " Groups of incomes ",     " Groups of charges ", " Sub-groups of incomes ",
        " Sub-groups of charges ", " Accounts ",          " Dates "};
    for (int i = 0; i < kLists; ++i) {
        const QString n = QString::number(i + 1);
        auto* box =
            Named(new QGroupBox(QString::fromLatin1(captions[i]), this), QStringLiteral("fp") + n);
        auto* label = Named(new QLabel(box), QStringLiteral("fl") + n);
        // The summary stays on one line; its hint shows it whole.
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        (new QVBoxLayout(box))->addWidget(label);
        box->installEventFilter(this);
        label->installEventFilter(this);
        boxes->addWidget(box, 1);
        auto* list = Named(new QListWidget(this), QStringLiteral("List") + n);
        layout->addWidget(list, 1);
        m_boxes[size_t(i)] = box;
        m_labels[size_t(i)] = label;
        m_lists[size_t(i)] = list;
        if (i != kDates) {
            connect(list, &QListWidget::itemChanged, this, [this, i] { Q_EMIT lineTicked(i); });
        }
    }
    m_addButton = Named(new QPushButton(QStringLiteral("Add"), this), "ButtonAdd");
    m_deleteButton = Named(new QPushButton(QStringLiteral("Delete"), this), "ButtonDel");
    layout->addLayout(ButtonRow({m_addButton, m_deleteButton}));
    connect(m_addButton, &QPushButton::clicked, this, &SelectionListsFrame::addClicked);
    connect(m_deleteButton, &QPushButton::clicked, this, &SelectionListsFrame::deleteClicked);
    selectBox(0);
}

void SelectionListsFrame::setLines(int list, const QList<SelectionLine>& lines) {
    QListWidget* widget = m_lists.at(size_t(list));
    const QSignalBlocker block(widget);
    widget->clear();
    for (const SelectionLine& line : lines) {
        auto* item = new QListWidgetItem(line.text, widget);
        if (line.header) {
            item->setFlags(Qt::ItemIsEnabled);
            item->setFont(WithWeight(widget->font(), true));
        } else {
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
    }
}

QStringList SelectionListsFrame::ticked(int list) const {
    const QListWidget* widget = m_lists.at(size_t(list));
    QStringList lines;
    for (int row = 0; row < widget->count(); ++row) {
        const QListWidgetItem* item = widget->item(row);
        if (list == kDates || item->checkState() == Qt::Checked)
            lines << item->text();
    }
    return lines;
}

void SelectionListsFrame::setTicked(int list, const QStringList& names) {
    QListWidget* widget = m_lists.at(size_t(list));
    const QSignalBlocker block(widget);
    for (int row = 0; row < widget->count(); ++row) {
        QListWidgetItem* item = widget->item(row);
        if (item->flags() & Qt::ItemIsUserCheckable)
            item->setCheckState(names.contains(item->text()) ? Qt::Checked : Qt::Unchecked);
    }
}

void SelectionListsFrame::setPeriods(const QStringList& periods) {
    QListWidget* widget = m_lists[kDates];
    widget->clear();
    widget->addItems(periods);
}

void SelectionListsFrame::addPeriod(const QString& period) {
    m_lists[kDates]->addItem(period);
}

bool SelectionListsFrame::removeSelectedPeriod() {
    const QList<QListWidgetItem*> selected = m_lists[kDates]->selectedItems();
    if (selected.isEmpty())
        return false;
    delete selected.first();
    return true;
}

void SelectionListsFrame::updateSummary(int list) {
    QLabel* label = m_labels.at(size_t(list));
    const QString text = SummaryText(ticked(list));
    label->setText(text);
    label->setToolTip(text);
}

QString SelectionListsFrame::summary(int list) const {
    return m_labels.at(size_t(list))->text();
}

void SelectionListsFrame::selectBox(int list) {
    m_current = list;
    for (int i = 0; i < kLists; ++i) {
        QGroupBox* box = m_boxes[size_t(i)];
        box->setFont(WithWeight(box->font(), i == list));
        // The summary keeps the regular weight whatever its box's caption has.
        m_labels[size_t(i)]->setFont(WithWeight(m_labels[size_t(i)]->font(), false));
        m_lists[size_t(i)]->setVisible(i == list);
    }
    m_addButton->setVisible(list == kDates);
    m_deleteButton->setVisible(list == kDates);
}

bool SelectionListsFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        for (int i = 0; i < kLists; ++i) {
            if (watched == m_boxes[size_t(i)] || watched == m_labels[size_t(i)]) {
                selectBox(i);
                break;
            }
        }
    }
    return QFrame::eventFilter(watched, event);
}

TranslationKeys SelectionListsFrame::translationKeys() {
    using namespace translation;
    return {
        {QStringLiteral("groups of incomes"), Frame(m_boxes[0])},
        {QStringLiteral("groups of charges"), Frame(m_boxes[1])},
        {QStringLiteral("sub-groups of incomes"), Frame(m_boxes[2])},
        {QStringLiteral("sub-groups of charges"), Frame(m_boxes[3])},
        {QStringLiteral("accounts"), Frame(m_boxes[4])},
        {QStringLiteral("dates"), Frame(m_boxes[5])},
        {QStringLiteral("add"), Text(m_addButton)},
        {QStringLiteral("delete"), Text(m_deleteButton)},
    };
}

} // namespace zovi
