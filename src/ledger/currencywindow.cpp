#include "ledger/currencywindow.h"

#include "core/lang.h"
#include "core/layouts.h"
#include "core/messages.h"
#include "core/translate.h"
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
#include <functional>

using namespace Qt::StringLiterals;

namespace zovi {

namespace {

// Runs a command of the window; a refusal or a failed write of the store is shown in an error
// box (the command's transaction has already put the tables back).
bool Run(QWidget* window, const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const StoreError& e) {
        Messages::error(window, e.message());
        return false;
    }
}

} // namespace

CurrencyWindow::CurrencyWindow(LedgerTables& tables, QWidget* parent)
    : QDialog(parent), m_data(tables), m_editor(new CurrencyEditor(this)),
      m_model(new QStandardItemModel(0, 4, this)) {
    setObjectName(u"TNastr"_s);
    setWindowTitle(u"Rate of exchange"_s);
    setModal(true);

    ValutaList = Named(new QTableView(this), u"ValutaList"_s);
    ValutaList->setModel(m_model);
    ValutaList->setSelectionBehavior(QAbstractItemView::SelectRows);
    ValutaList->setSelectionMode(QAbstractItemView::SingleSelection);
    ValutaList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ValutaList->verticalHeader()->hide();
    ValutaList->setShowGrid(false);
    // Drawn like the ledger grid; the mark only greens the main currency, nothing is centred.
    auto* delegate = new LedgerDelegate(ValutaList);
    delegate->setCentredColumn(-1);
    ValutaList->setItemDelegate(delegate);
    LedgerDelegate::styleHeader(ValutaList->horizontalHeader());
    ValutaList->setColumnHidden(0, true);
    ValutaList->setColumnWidth(1, 160);
    ValutaList->setColumnWidth(2, 96);
    ValutaList->setColumnWidth(3, 96);

    UpButton = Named(new QToolButton(this), u"UpButton"_s);
    UpButton->setArrowType(Qt::UpArrow);
    DownButton = Named(new QToolButton(this), u"DownButton"_s);
    DownButton->setArrowType(Qt::DownArrow);

    AddButton = Named(new QPushButton(u"Add"_s, this), u"AddButton"_s);
    EditButton = Named(new QPushButton(u"Edit"_s, this), u"EditButton"_s);
    DeleteButton = Named(new QPushButton(u"Delete"_s, this), u"DeleteButton"_s);
    MainButton = Named(new QPushButton(u"Setup as main"_s, this), u"MainButton"_s);
    for (QPushButton* button : {AddButton, EditButton, DeleteButton, MainButton})
        button->setAutoDefault(false);

    connect(ValutaList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { rowSelected(current.row()); });
    connect(ValutaList, &QTableView::doubleClicked, this, &CurrencyWindow::ValutaEdit);
    connect(UpButton, &QToolButton::clicked, this, [this] { Move(true); });
    connect(DownButton, &QToolButton::clicked, this, [this] { Move(false); });
    connect(AddButton, &QPushButton::clicked, this, &CurrencyWindow::ValutaAdd);
    connect(EditButton, &QPushButton::clicked, this, &CurrencyWindow::ValutaEdit);
    connect(DeleteButton, &QPushButton::clicked, this, &CurrencyWindow::ValutaDelete);
    connect(MainButton, &QPushButton::clicked, this, &CurrencyWindow::SetMain);

    auto* arrows = new QVBoxLayout;
    arrows->addStretch();
    arrows->addWidget(UpButton);
    arrows->addWidget(DownButton);
    arrows->addStretch();
    auto* body = new QHBoxLayout;
    body->addWidget(ValutaList, 1);
    body->addLayout(arrows);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(ButtonRow({AddButton, EditButton, DeleteButton, MainButton}));
    resize(440, 260);
    updateButtons();
}

void CurrencyWindow::showEvent(QShowEvent* event) {
    // A window restored from the task bar is shown again by the system: nothing is re-read.
    if (!event->spontaneous()) {
        QString caption;
        if (LangString(u"caption001"_s, caption))
            setWindowTitle(caption);
        Translate(AddButton, u"add"_s);
        Translate(EditButton, u"edit"_s);
        Translate(DeleteButton, u"delete"_s);
        Translate(MainButton, u"setup as main"_s);
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
    ValutaList->setCurrentIndex(m_model->index(row, 1));
    rowSelected(row);
    updateButtons();
}

int CurrencyWindow::selectedRow() const {
    const int row = ValutaList->currentIndex().row();
    return row >= 0 && row < m_model->rowCount() ? row : -1;
}

// The list holds the currencies in table order, so its row is the currency's position.
void CurrencyWindow::rowSelected(int row) {
    if (row >= 0 && m_data.tbValuta.isOpen() && row < m_data.tbValuta.recordCount())
        m_data.tbValuta.setRecNo(row + 1);
}

void CurrencyWindow::updateButtons() {
    const bool any = m_model->rowCount() > 0;
    AddButton->setEnabled(m_data.tbValuta.isOpen());
    for (QWidget* control : {static_cast<QWidget*>(EditButton), static_cast<QWidget*>(DeleteButton),
                             static_cast<QWidget*>(MainButton), static_cast<QWidget*>(UpButton),
                             static_cast<QWidget*>(DownButton)})
        control->setEnabled(any);
}

void CurrencyWindow::ValutaAdd() {
    m_editor->setAddMode();
    if (m_editor->exec() != QDialog::Accepted)
        return;
    const bool added = Run(this, [&] { AddCurrency(m_data, m_editor->input()); });
    fillList(added ? 0 : selectedRow());
}

void CurrencyWindow::ValutaEdit() {
    const int row = selectedRow();
    if (row < 0)
        return;
    rowSelected(row);
    m_editor->setEditMode(ReadCurrency(m_data.tbValuta));
    if (m_editor->exec() != QDialog::Accepted)
        return;
    Run(this, [&] { EditCurrency(m_data, m_editor->input()); });
    fillList(row);
}

void CurrencyWindow::ValutaDelete() {
    const int row = selectedRow();
    if (row < 0)
        return;
    rowSelected(row);
    std::optional<QString> refusal;
    if (!Run(this, [&] { refusal = CurrencyDeleteRefusal(m_data); }))
        return;
    if (refusal) {
        Messages::error(this, *refusal);
        return;
    }
    if (!Messages::confirm(this, LangText(u"err011"_s, u"Do you want delete?"_s)))
        return;
    const bool deleted = Run(this, [&] { DeleteCurrency(m_data); });
    fillList(deleted ? 0 : row);
}

void CurrencyWindow::SetMain() {
    const int row = selectedRow();
    if (row < 0)
        return;
    rowSelected(row);
    Run(this, [&] { SetMainCurrency(m_data); });
    fillList(row);
}

void CurrencyWindow::Move(bool up) {
    const int row = selectedRow();
    if (row < 0)
        return;
    rowSelected(row);
    bool moved = false;
    Run(this, [&] { moved = MoveCurrency(m_data, up); });
    if (moved)
        fillList(up ? row - 1 : row + 1);
}

} // namespace zovi
