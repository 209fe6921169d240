#include "core/lang.h"
#include "core/layouts.h"
#include "core/messages.h"
#include "core/translate.h"
#include "ledger/classifierwindows.h"
#include "store/datamodules.h"
#include "store/error.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace zovi {

QTableView* ClassifierGrid(QWidget* parent, const char* name, TableModel* model, int column) {
    auto* grid = Named(new QTableView(parent), name);
    grid->setModel(model);
    model->setHeaderData(column, Qt::Horizontal, LangText(u"name"_s, u"Name"_s));
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setStretchLastSection(true);
    auto hideOthers = [grid, model, column] {
        for (int c = 0; c < model->columnCount(); ++c)
            grid->setColumnHidden(c, c != column);
    };
    // The columns exist once the table is open; a reset may bring them.
    QObject::connect(model, &QAbstractItemModel::modelReset, grid, hideOthers);
    hideOthers();
    QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, grid,
                     [model](const QModelIndex& current) { model->selectRow(current.row()); });
    return grid;
}

bool RunCommand(QWidget* window, const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const StoreError& e) {
        Messages::error(window, e.message());
        return false;
    }
}

// The name editor's label for an account.
namespace {
QString AccountNameLabel() {
    return LangText(u"accountname"_s, u"Account name:"_s);
}
} // namespace

// ---- NameEditor ----

NameEditor::NameEditor(QWidget* parent) : QDialog(parent) {
    setObjectName(u"TEditGrp"_s);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);
    m_nameEdit = Named(new QLineEdit(this), "Edit1");
    m_label = Named(new QLabel(this), "Label1");
    m_label->setBuddy(m_nameEdit);
    auto* ok = Named(new QPushButton(u"OK"_s, this), "Button1");
    auto* cancel = Named(new QPushButton(u"Cancel"_s, this), "Button2");
    m_okButton = ok;
    m_cancelButton = cancel;
    ok->setDefault(true);
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_nameEdit);
    layout->addLayout(ButtonRow({ok, cancel}));
    resize(260, 80);
}

bool NameEditor::ask(const QString& label, const QString& text, QString& typed) {
    m_label->setText(label);
    m_nameEdit->setText(text);
    if (exec() != QDialog::Accepted)
        return false;
    typed = m_nameEdit->text();
    return true;
}

void NameEditor::showEvent(QShowEvent* event) {
    m_okButton->setText(LangText(u"ok"_s, u"OK"_s));
    m_cancelButton->setText(LangText(u"cancel"_s, u"Cancel"_s));
    QDialog::showEvent(event);
    m_nameEdit->setFocus();
    m_nameEdit->selectAll();
}

// ---- AccountsWindow ----

AccountsWindow::AccountsWindow(LedgerTables& tables, DebtTables& cd, NameEditor* editor,
                               QWidget* parent)
    : QDialog(parent), m_data(tables), m_cd(cd), m_editor(editor) {
    setObjectName(u"Tusers"_s);
    setWindowTitle(u"Accounts"_s);
    setModal(true);

    m_frame = new QGroupBox(u" Accounts "_s, this);
    m_accountsGrid = ClassifierGrid(m_frame, "DBGrid1", &m_data.dsGr1, 0);
    auto* spin = Named(new QWidget(m_frame), "SpinButton1");
    m_upButton = Named(new QToolButton(spin), "UpButton");
    m_upButton->setArrowType(Qt::UpArrow);
    m_downButton = Named(new QToolButton(spin), "DownButton");
    m_downButton->setArrowType(Qt::DownArrow);
    auto* arrows = new QVBoxLayout(spin);
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->addStretch();
    arrows->addWidget(m_upButton);
    arrows->addWidget(m_downButton);
    arrows->addStretch();

    m_addButton = Named(new QPushButton(u"Add"_s, m_frame), "Button2");
    m_deleteButton = Named(new QPushButton(u"Delete"_s, m_frame), "Button3");
    m_editButton = Named(new QPushButton(u"Edit"_s, m_frame), "Button4");
    m_okButton = Named(new QPushButton(u"Ok"_s, this), "Button1");
    for (QPushButton* b : {m_addButton, m_deleteButton, m_editButton})
        b->setAutoDefault(false);
    m_okButton->setDefault(true);

    auto* body = new QHBoxLayout;
    body->addWidget(m_accountsGrid, 1);
    body->addWidget(spin);
    auto* frameLayout = new QVBoxLayout(m_frame);
    frameLayout->addLayout(body, 1);
    frameLayout->addLayout(ButtonRow({m_addButton, m_deleteButton, m_editButton}));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_frame, 1);
    layout->addLayout(ButtonRow({m_okButton}));
    resize(320, 320);

    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_addButton, &QPushButton::clicked, this, &AccountsWindow::onAddClicked);
    connect(m_deleteButton, &QPushButton::clicked, this, &AccountsWindow::onDeleteClicked);
    connect(m_editButton, &QPushButton::clicked, this, &AccountsWindow::onEditClicked);
    connect(m_accountsGrid, &QTableView::doubleClicked, this, &AccountsWindow::onEditClicked);
    connect(m_upButton, &QToolButton::clicked, this, [this] { onMoveClicked(true); });
    connect(m_downButton, &QToolButton::clicked, this, [this] { onMoveClicked(false); });
    // The commands act on the selected row: they are off while none is selected.
    connect(m_accountsGrid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &AccountsWindow::updateButtons);
    connect(&m_data.dsGr1, &QAbstractItemModel::modelReset, this, &AccountsWindow::updateButtons);
    updateButtons();
}

// The cancel key closes with OK too: every change is stored already.
void AccountsWindow::reject() {
    accept();
}

void AccountsWindow::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        QString caption;
        if (LangString(u"accounts"_s, caption)) {
            setWindowTitle(caption);
            m_frame->setTitle(u" "_s + caption + u" "_s);
        }
        Translate(m_addButton, u"add"_s);
        Translate(m_deleteButton, u"delete"_s);
        Translate(m_editButton, u"edit"_s);
        Translate(m_okButton, u"ok"_s);
        selectRow(0);
    }
    QDialog::showEvent(event);
}

int AccountsWindow::currentRow() const {
    const QModelIndexList selected = m_accountsGrid->selectionModel()->selectedRows();
    const int row = selected.isEmpty() ? -1 : selected.first().row();
    return row >= 0 && row < m_data.dsGr1.rowCount() ? row : -1;
}

void AccountsWindow::selectRow(int row) {
    const int count = m_data.dsGr1.rowCount();
    if (count > 0)
        m_accountsGrid->setCurrentIndex(m_data.dsGr1.index(qBound(0, row, count - 1), 0));
    updateButtons();
}

void AccountsWindow::updateButtons() {
    const bool selected = currentRow() >= 0;
    m_addButton->setEnabled(m_data.tbGr1.isOpen());
    for (QWidget* w : {static_cast<QWidget*>(m_deleteButton), static_cast<QWidget*>(m_editButton),
                       static_cast<QWidget*>(m_upButton), static_cast<QWidget*>(m_downButton)})
        w->setEnabled(selected);
}

void AccountsWindow::onAddClicked() {
    QString name;
    if (!m_editor->ask(AccountNameLabel(), QString(), name))
        return;
    const int row = currentRow();
    bool added = false;
    RunCommand(this, [&] { added = AddAccount(m_data, name); });
    selectRow(added ? m_data.dsGr1.rowCount() - 1 : row);
}

void AccountsWindow::onDeleteClicked() {
    const int row = currentRow();
    if (row < 0)
        return;
    if (!Messages::confirm(this, LangText(u"err011"_s, u"Do you want delete?"_s)))
        return;
    RunCommand(this, [&] { DeleteAccount(m_data, row); });
    selectRow(row);
}

void AccountsWindow::onEditClicked() {
    const int row = currentRow();
    if (row < 0)
        return;
    const QString old = AccountNames(m_data).value(row);
    QString name;
    if (!m_editor->ask(AccountNameLabel(), old, name))
        return;
    const bool merge =
        name != old && !name.trimmed().isEmpty() && AccountNameTaken(m_data, row, name);
    if (merge && !Messages::confirm(this, LangText(u"mergeaccounts"_s,
                                                   u"An account named \"%1\" already exists. "
                                                   u"Merge the two? The entries and debts of the "
                                                   u"renamed account move to it, and the renamed "
                                                   u"account is removed."_s)
                                              .arg(name)))
        return;
    if (!RunCommand(this, [&] { RenameAccount(m_data, m_cd, row, name); }) || !merge) {
        selectRow(row);
        return;
    }
    // The renamed account is gone: the one it merged into is selected.
    const QStringList names = AccountNames(m_data);
    selectRow(int(names.indexOf(name)));
}

void AccountsWindow::onMoveClicked(bool up) {
    const int row = currentRow();
    if (row < 0)
        return;
    bool moved = false;
    RunCommand(this, [&] { moved = MoveAccount(m_data, row, up); });
    selectRow(moved ? (up ? row - 1 : row + 1) : row);
}

} // namespace zovi
