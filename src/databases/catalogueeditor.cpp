#include "databases/catalogueeditor.h"

#include "core/lang.h"
#include "core/messages.h"
#include "core/translate.h"
#include "databases/databasecommands.h"
#include "databases/databasedialog.h"
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

CatalogueEditor::CatalogueEditor(PasswordDialog* password, DatabaseDialog* editData, QWidget* parent)
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

    connect(Button1, &QPushButton::clicked, this, &CatalogueEditor::AddClick);
    connect(Button2, &QPushButton::clicked, this, &CatalogueEditor::DeleteClick);
    connect(Button3, &QPushButton::clicked, this, &CatalogueEditor::EditClick);
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
    showDraft(0);
}

QList<CatalogueEntry> CatalogueEditor::entries() const {
    return m_draft.entries();
}

void CatalogueEditor::showDraft(int current) {
    const QList<CatalogueEntry>& list = m_draft.entries();
    Grid1->clearContents();
    Grid1->setRowCount(int(list.size()));
    for (int row = 0; row < list.size(); ++row) {
        Grid1->setItem(row, 0, new QTableWidgetItem(list.at(row).name));
        Grid1->setItem(row, 1, new QTableWidgetItem(list.at(row).folder));
    }
    Grid1->setCurrentCell(current, 0);
    const bool hasEntry = m_draft.hasDatabase();
    Button2->setEnabled(hasEntry);
    Button3->setEnabled(hasEntry);
}

int CatalogueEditor::currentRow() const {
    const int row = Grid1->currentRow();
    return row >= 0 && row < Grid1->rowCount() ? row : 0;
}

void CatalogueEditor::showEvent(QShowEvent* event) {
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
    try {
        m_draft = CatalogueDraft::read();
    } catch (const StoreError& e) {
        // A catalogue that cannot be read is never replaced: the window closes without writing.
        m_draft = CatalogueDraft();
        showDraft(0);
        QDialog::showEvent(event);
        Messages::error(this, e.message());
        QTimer::singleShot(0, this, &QDialog::reject);
        return;
    }
    showDraft(0);
    m_filled = true;
    QDialog::showEvent(event);
    // An empty catalogue leads straight to adding the first database, once the window is up.
    if (!m_draft.hasDatabase())
        QTimer::singleShot(0, this, &CatalogueEditor::offerFirstEntry);
}

void CatalogueEditor::offerFirstEntry() {
    if (!isVisible())
        return;
    Messages::info(this, LangText(u"help01"_s, QString()));
    AddClick();
}

bool CatalogueEditor::passwordPasses(const QString& folder, QString* password) {
    const PasswordCheck check = CheckPassword(
        folder, [this](const QString& stored) { return AskPassword(m_password, stored); });
    if (!check.error.isEmpty())
        Messages::error(this, check.error);
    *password = check.password;
    return check.passed;
}

void CatalogueEditor::AddClick() {
    if (!m_editData)
        return;
    m_editData->setAddMode();
    if (m_editData->exec() != QDialog::Accepted)
        return;
    showDraft(m_draft.add(m_editData->entry()));
}

void CatalogueEditor::DeleteClick() {
    const int row = currentRow();
    const EntryRemoval removal =
        CheckEntryRemoval(m_draft.entries().at(row).folder, [this](const QString& stored) {
            return AskPassword(m_password, stored);
        });
    if (!removal.notice.isEmpty())
        Messages::error(this, removal.notice);
    if (!removal.allowed)
        return;
    if (!Messages::confirm(this, LangText(u"err011"_s, u"Do you want delete?"_s)))
        return;
    showDraft(m_draft.remove(row));
}

void CatalogueEditor::EditClick() {
    if (!m_editData)
        return;
    const int row = currentRow();
    const CatalogueEntry entry = m_draft.entries().at(row);
    QString password;
    if (!passwordPasses(entry.folder, &password))
        return;
    m_editData->setEditMode(entry.name, password, entry.folder);
    if (m_editData->exec() != QDialog::Accepted)
        return;
    m_draft.rename(row, m_editData->name());
    showDraft(row);
}

void CatalogueEditor::done(int result) {
    // Only a draft read from bases.ini in this showing may replace it.
    if (m_filled) {
        m_filled = false;
        try {
            m_draft.write();
        } catch (const StoreError& e) {
            Messages::error(this, e.message());
        }
    }
    QDialog::done(result);
}

} // namespace zovi
