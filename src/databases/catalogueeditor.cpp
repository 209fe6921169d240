#include "databases/catalogueeditor.h"

#include "core/translate.h"

#include "core/lang.h"
#include "core/messages.h"
#include "core/translate.h"
#include "databases/databasedialog.h"
#include "databases/databasefolder.h"
#include "databases/passworddialog.h"
#include "store/error.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace zovi {

TDBSel2::TDBSel2(TfPasswordCheck* password, TfEditData* editData, QWidget* parent)
    : QDialog(parent), m_password(password), m_editData(editData) {
    setObjectName(u"TDBSel2"_s);
    setWindowTitle(u"Databases"_s);
    setModal(true);

    Label1 = new QLabel(u"Databases"_s, this);
    Label1->setObjectName(u"Label1"_s);

    Grid1 = new QTableWidget(0, 2, this);
    Grid1->setObjectName(u"Grid1"_s);
    Grid1->setColumnHidden(1, true);
    Grid1->horizontalHeader()->hide();
    Grid1->horizontalHeader()->setStretchLastSection(true);
    Grid1->verticalHeader()->hide();
    Grid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid1->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid1->setEditTriggers(QAbstractItemView::NoEditTriggers);

    Button1 = new QPushButton(u"Add"_s, this);
    Button1->setObjectName(u"Button1"_s);
    Button2 = new QPushButton(u"Delete"_s, this);
    Button2->setObjectName(u"Button2"_s);
    Button3 = new QPushButton(u"Edit"_s, this);
    Button3->setObjectName(u"Button3"_s);
    Button4 = new QPushButton(u"OK"_s, this);
    Button4->setObjectName(u"Button4"_s);
    Button4->setDefault(true);
    for (QPushButton* button : {Button1, Button2, Button3})
        button->setAutoDefault(false);

    connect(Button1, &QPushButton::clicked, this, &TDBSel2::AddClick);
    connect(Button2, &QPushButton::clicked, this, &TDBSel2::DeleteClick);
    connect(Button3, &QPushButton::clicked, this, &TDBSel2::EditClick);
    connect(Button4, &QPushButton::clicked, this, &QDialog::accept);

    auto* side = new QVBoxLayout;
    side->addWidget(Button1);
    side->addWidget(Button2);
    side->addWidget(Button3);
    side->addStretch();
    side->addWidget(Button4);
    auto* body = new QHBoxLayout;
    body->addWidget(Grid1, 1);
    body->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(body);
    resize(420, 300);
    updateButtons();
}

QString TDBSel2::cell(int row, int column) const {
    const QTableWidgetItem* item = Grid1->item(row, column);
    return item ? item->text() : QString();
}

void TDBSel2::setRow(int row, const TDataBaseName& entry) {
    Grid1->setItem(row, 0, new QTableWidgetItem(entry.name));
    Grid1->setItem(row, 1, new QTableWidgetItem(entry.folder));
}

QList<TDataBaseName> TDBSel2::entries() const {
    QList<TDataBaseName> list;
    for (int row = 0; row < Grid1->rowCount(); ++row)
        list.append({cell(row, 0), cell(row, 1)});
    return list;
}

// The grid always keeps one row, as an empty catalogue shows one empty line: it is the row the
// first added entry fills, and written back it gives the line "*".
void TDBSel2::fillGrid(const QList<TDataBaseName>& list) {
    Grid1->clearContents();
    Grid1->setRowCount(int(qMax<qsizetype>(1, list.size())));
    for (int row = 0; row < list.size(); ++row)
        setRow(row, list.at(row));
    if (list.isEmpty())
        setRow(0, {});
    Grid1->setCurrentCell(0, 0);
    updateButtons();
}

int TDBSel2::currentRow() const {
    const int row = Grid1->currentRow();
    return row >= 0 && row < Grid1->rowCount() ? row : 0;
}

void TDBSel2::updateButtons() {
    const bool hasEntry = Grid1->rowCount() > 0 && !cell(0, 1).isEmpty();
    Button2->setEnabled(hasEntry);
    Button3->setEnabled(hasEntry);
}

void TDBSel2::showEvent(QShowEvent* event) {
    // A window restored from the task bar is shown again by the system: nothing is re-read.
    if (event->spontaneous()) {
        QDialog::showEvent(event);
        return;
    }
    QString caption;
    if (LangString(u"caption011"_s, caption))
        setWindowTitle(caption);
    Translate(Label1, u"databases"_s);
    Translate(Button1, u"add"_s);
    Translate(Button2, u"delete"_s);
    Translate(Button3, u"edit"_s);
    fillGrid(Catalogue::readForEditor());
    m_filled = true;
    QDialog::showEvent(event);
    // An empty catalogue leads straight to adding the first database, once the window is up.
    if (Grid1->rowCount() == 0 || cell(0, 1).isEmpty())
        QTimer::singleShot(0, this, &TDBSel2::offerFirstEntry);
}

void TDBSel2::offerFirstEntry() {
    if (!isVisible())
        return;
    Messages::info(this, LangText(u"help01"_s, QString()));
    AddClick();
}

bool TDBSel2::passwordPasses(const QString& folder, QString* password) {
    password->clear();
    if (!DatabaseFolder::exists(folder))
        return true;
    try {
        *password = DatabaseFolder::password(folder);
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
        return false;
    }
    return password->isEmpty() || (m_password && m_password->check(*password));
}

void TDBSel2::AddClick() {
    if (!m_editData)
        return;
    m_editData->setAddMode();
    if (m_editData->exec() != QDialog::Accepted)
        return;
    const TDataBaseName entry{m_editData->name(), m_editData->folder()};
    int row = Grid1->rowCount();
    if (row == 1 && cell(0, 0).isEmpty() && cell(0, 1).isEmpty())
        row = 0;
    else
        Grid1->insertRow(row);
    setRow(row, entry);
    Grid1->setCurrentCell(row, 0);
    updateButtons();
}

void TDBSel2::DeleteClick() {
    if (Grid1->rowCount() == 0)
        return;
    const int row = currentRow();
    QString password;
    if (!passwordPasses(cell(row, 1), &password))
        return;
    if (!Messages::confirm(this, LangText(u"err011"_s, u"Do you want delete?"_s)))
        return;
    Grid1->removeRow(row);
    if (Grid1->rowCount() == 0) {
        Grid1->insertRow(0);
        setRow(0, {});
    }
    Grid1->setCurrentCell(qMin(row, Grid1->rowCount() - 1), 0);
    updateButtons();
}

void TDBSel2::EditClick() {
    if (Grid1->rowCount() == 0 || !m_editData)
        return;
    const int row = currentRow();
    const QString folder = cell(row, 1);
    QString password;
    if (!passwordPasses(folder, &password))
        return;
    m_editData->setEditMode(cell(row, 0), password, folder);
    if (m_editData->exec() != QDialog::Accepted)
        return;
    Grid1->setItem(row, 0, new QTableWidgetItem(m_editData->name()));
    updateButtons();
}

void TDBSel2::done(int result) {
    // Only a grid read from bases.ini in this showing may replace it.
    if (m_filled) {
        m_filled = false;
        try {
            Catalogue::write(entries());
        } catch (const StoreError& e) {
            Messages::error(this, e.message());
        }
    }
    QDialog::done(result);
}

} // namespace zovi
