#include "ledger/currencywindow.h"

#include "core/lang.h"
#include "core/layouts.h"
#include "core/messages.h"
#include "core/translate.h"
#include "ledger/classifierwindows.h"
#include "ledger/currency.h"
#include "ledger/currencyeditor.h"
#include "ledger/ledgerdelegate.h"
#include "ledger/ledgergrid.h"
#include "store/datamodules.h"
#include "store/error.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QShowEvent>
#include <QStandardItemModel>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace zovi {

CurrencyWindow::CurrencyWindow(LedgerTables& tables, QWidget* parent)
    : QDialog(parent), m_data(tables), m_editor(new CurrencyEditor(this)),
      m_model(new QStandardItemModel(0, 4, this)) {
    setObjectName(u"TNastr"_s);
    setWindowTitle(u"Rate of exchange"_s);
    setModal(true);

    m_currencyGrid = Named(new QTableView(this), u"ValutaList"_s);
    m_currencyGrid->setModel(m_model);
    m_currencyGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_currencyGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_currencyGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_currencyGrid->verticalHeader()->hide();
    m_currencyGrid->setShowGrid(false);
    // Drawn like the ledger grid; the mark only greens the main currency, nothing is centred.
    auto* delegate = new LedgerDelegate(m_currencyGrid);
    delegate->setCentredColumn(-1);
    m_currencyGrid->setItemDelegate(delegate);
    LedgerDelegate::styleHeader(m_currencyGrid->horizontalHeader());
    m_currencyGrid->setColumnHidden(0, true);
    m_currencyGrid->setColumnWidth(1, 160);
    m_currencyGrid->setColumnWidth(2, 96);
    m_currencyGrid->setColumnWidth(3, 96);

    m_upButton = Named(new QToolButton(this), u"UpButton"_s);
    m_upButton->setArrowType(Qt::UpArrow);
    m_downButton = Named(new QToolButton(this), u"DownButton"_s);
    m_downButton->setArrowType(Qt::DownArrow);

    m_addButton = Named(new QPushButton(u"Add"_s, this), u"AddButton"_s);
    m_editButton = Named(new QPushButton(u"Edit"_s, this), u"EditButton"_s);
    m_deleteButton = Named(new QPushButton(u"Delete"_s, this), u"DeleteButton"_s);
    m_setMainButton = Named(new QPushButton(u"Setup as main"_s, this), u"MainButton"_s);
    m_closeButton = Named(new QPushButton(u"Close"_s, this), u"CloseButton"_s);
    for (QPushButton* button :
         {m_addButton, m_editButton, m_deleteButton, m_setMainButton, m_closeButton})
        button->setAutoDefault(false);

    connect(m_currencyGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { rowSelected(current.row()); });
    connect(m_currencyGrid, &QTableView::doubleClicked, this, &CurrencyWindow::onEditClicked);
    connect(m_upButton, &QToolButton::clicked, this, [this] { onMoveClicked(true); });
    connect(m_downButton, &QToolButton::clicked, this, [this] { onMoveClicked(false); });
    connect(m_addButton, &QPushButton::clicked, this, &CurrencyWindow::onAddClicked);
    connect(m_editButton, &QPushButton::clicked, this, &CurrencyWindow::onEditClicked);
    connect(m_deleteButton, &QPushButton::clicked, this, &CurrencyWindow::onDeleteClicked);
    connect(m_setMainButton, &QPushButton::clicked, this, &CurrencyWindow::onSetMainClicked);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* arrows = new QVBoxLayout;
    arrows->addStretch();
    arrows->addWidget(m_upButton);
    arrows->addWidget(m_downButton);
    arrows->addStretch();
    auto* body = new QHBoxLayout;
    body->addWidget(m_currencyGrid, 1);
    body->addLayout(arrows);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    auto* buttons =
        ButtonRow({m_addButton, m_editButton, m_deleteButton, m_setMainButton, m_closeButton});
    // Close stands apart at the right, away from the commands on the currencies.
    buttons->insertStretch(buttons->indexOf(m_closeButton), 1);
    layout->addLayout(buttons);
    resize(440, 260);
    updateButtons();
}

void CurrencyWindow::showEvent(QShowEvent* event) {
    // A window restored from the task bar is shown again by the system: nothing is re-read.
    if (!event->spontaneous()) {
        QString caption;
        if (LangString(u"caption001"_s, caption))
            setWindowTitle(caption);
        Translate(m_addButton, u"add"_s);
        Translate(m_editButton, u"edit"_s);
        Translate(m_deleteButton, u"delete"_s);
        Translate(m_setMainButton, u"setup as main"_s);
        Translate(m_closeButton, u"close"_s);
        fillList(0);
    }
    QDialog::showEvent(event);
}

void CurrencyWindow::fillList(int row) {
    const QList<CurrencyListRow> rows = CurrencyListRows(ReadCurrencies(m_data.tbValuta));
    m_model->setRowCount(0);
    m_model->setHorizontalHeaderLabels({QString(), LangText(u"name"_s, u"Name"_s),
                                        LangText(u"oldvalueshort"_s, u"Old value"_s),
                                        LangText(u"rate"_s, u"Rate"_s)});
    for (const CurrencyListRow& r : rows) {
        QList<QStandardItem*> items;
        for (const QString& text : {r.mark, r.name, r.oldValue, r.rate}) {
            auto* item = new QStandardItem(text);
            // The delegate colours a "+" mark dark green; the other currencies stay black.
            item->setData(r.main ? u"+"_s : QString(), LedgerGridModel::MarkRole);
            items.append(item);
        }
        m_model->appendRow(items);
    }
    if (rows.isEmpty()) {
        updateButtons();
        return;
    }
    row = qBound(0, row, int(rows.size()) - 1);
    m_currencyGrid->setCurrentIndex(m_model->index(row, 1));
    rowSelected(row);
    updateButtons();
}

int CurrencyWindow::selectedRow() const {
    const int row = m_currencyGrid->currentIndex().row();
    return row >= 0 && row < m_model->rowCount() ? row : -1;
}

// The list holds the currencies in table order, so its row is the currency's position.
void CurrencyWindow::rowSelected(int row) {
    if (row >= 0 && m_data.tbValuta.isOpen() && row < m_data.tbValuta.recordCount())
        m_data.tbValuta.setRecNo(row + 1);
}

void CurrencyWindow::updateButtons() {
    const bool any = m_model->rowCount() > 0;
    m_addButton->setEnabled(m_data.tbValuta.isOpen());
    for (QWidget* control :
         {static_cast<QWidget*>(m_editButton), static_cast<QWidget*>(m_deleteButton),
          static_cast<QWidget*>(m_setMainButton), static_cast<QWidget*>(m_upButton),
          static_cast<QWidget*>(m_downButton)})
        control->setEnabled(any);
}

void CurrencyWindow::onAddClicked() {
    m_editor->setAddMode();
    if (m_editor->exec() != QDialog::Accepted)
        return;
    const bool added = RunCommand(this, [&] { AddCurrency(m_data, m_editor->input()); });
    fillList(added ? 0 : selectedRow());
}

void CurrencyWindow::onEditClicked() {
    const int row = selectedRow();
    if (row < 0)
        return;
    m_editor->setEditMode(ReadCurrencies(m_data.tbValuta).value(row));
    if (m_editor->exec() != QDialog::Accepted)
        return;
    RunCommand(this, [&] { EditCurrency(m_data, row, m_editor->input()); });
    fillList(row);
}

void CurrencyWindow::onDeleteClicked() {
    const int row = selectedRow();
    if (row < 0)
        return;
    std::optional<QString> refusal;
    if (!RunCommand(this, [&] { refusal = CurrencyDeleteRefusal(m_data, row); }))
        return;
    if (refusal) {
        Messages::error(this, *refusal);
        return;
    }
    if (!Messages::confirm(this, LangText(u"err011"_s, u"Do you want delete?"_s)))
        return;
    const bool deleted = RunCommand(this, [&] { DeleteCurrency(m_data, row); });
    fillList(deleted ? 0 : row);
}

void CurrencyWindow::onSetMainClicked() {
    const int row = selectedRow();
    if (row < 0)
        return;
    RunCommand(this, [&] { SetMainCurrency(m_data, row); });
    fillList(row);
}

void CurrencyWindow::onMoveClicked(bool up) {
    const int row = selectedRow();
    if (row < 0)
        return;
    bool moved = false;
    RunCommand(this, [&] { moved = MoveCurrency(m_data, row, up); });
    if (moved)
        fillList(up ? row - 1 : row + 1);
}

} // namespace zovi
