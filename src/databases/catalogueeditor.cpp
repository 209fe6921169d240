#include "databases/catalogueeditor.h"

#include "core/lang.h"
#include "core/layouts.h"
#include "core/messages.h"
#include "core/translate.h"
#include "databases/databasecommands.h"
#include "databases/databasedialog.h"
#include "databases/databasefolder.h"
#include "databases/passworddialog.h"
#include "store/error.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace zovi {

CatalogueEditor::CatalogueEditor(PasswordDialog* passwordDialog, DatabaseDialog* databaseDialog,
                                 QWidget* parent)
    : QDialog(parent), m_passwordDialog(passwordDialog), m_databaseDialog(databaseDialog) {
    setObjectName(u"TDBSel2"_s);
    setWindowTitle(u"Databases"_s);
    setModal(true);

    m_titleLabel = Named(new QLabel(u"Databases"_s, this), "Label1");

    m_entryGrid = Named(new QTableWidget(0, 2, this), "Grid1");
    m_entryGrid->setColumnHidden(1, true);
    m_entryGrid->horizontalHeader()->hide();
    m_entryGrid->horizontalHeader()->setStretchLastSection(true);
    m_entryGrid->verticalHeader()->hide();
    m_entryGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_entryGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_entryGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);

    m_addButton = Named(new QPushButton(u"Add"_s, this), "Button1");
    m_deleteButton = Named(new QPushButton(u"Delete"_s, this), "Button2");
    m_editButton = Named(new QPushButton(u"Edit"_s, this), "Button3");
    m_okButton = Named(new QPushButton(u"OK"_s, this), "Button4");
    m_okButton->setDefault(true);
    for (QPushButton* button : {m_addButton, m_deleteButton, m_editButton})
        button->setAutoDefault(false);

    connect(m_addButton, &QPushButton::clicked, this, &CatalogueEditor::onAddClicked);
    connect(m_deleteButton, &QPushButton::clicked, this, &CatalogueEditor::onDeleteClicked);
    connect(m_editButton, &QPushButton::clicked, this, &CatalogueEditor::onEditClicked);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* side = new QVBoxLayout;
    side->addWidget(m_addButton);
    side->addWidget(m_deleteButton);
    side->addWidget(m_editButton);
    side->addStretch();
    side->addWidget(m_okButton);
    auto* body = new QHBoxLayout;
    body->addWidget(m_entryGrid, 1);
    body->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_titleLabel);
    layout->addLayout(body);
    resize(420, 300);
    showDraft(0);
}

QList<CatalogueEntry> CatalogueEditor::entries() const {
    return m_draft.entries();
}

void CatalogueEditor::showDraft(int current) {
    const QList<CatalogueEntry>& list = m_draft.entries();
    m_entryGrid->clearContents();
    m_entryGrid->setRowCount(int(list.size()));
    for (int row = 0; row < list.size(); ++row) {
        m_entryGrid->setItem(row, 0, new QTableWidgetItem(list.at(row).name));
        m_entryGrid->setItem(row, 1, new QTableWidgetItem(list.at(row).folder));
    }
    m_entryGrid->setCurrentCell(current, 0);
    const bool hasEntry = m_draft.hasDatabase();
    m_deleteButton->setEnabled(hasEntry);
    m_editButton->setEnabled(hasEntry);
}

int CatalogueEditor::currentRow() const {
    const int row = m_entryGrid->currentRow();
    return row >= 0 && row < m_entryGrid->rowCount() ? row : 0;
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
    Translate(m_titleLabel, u"databases"_s);
    Translate(m_addButton, u"add"_s);
    Translate(m_deleteButton, u"delete"_s);
    Translate(m_editButton, u"edit"_s);
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
    onAddClicked();
}

bool CatalogueEditor::passwordPasses(const QString& folder, QString* password) {
    const PasswordCheck check = CheckPassword(
        folder, [this](const QString& stored) { return AskPassword(m_passwordDialog, stored); });
    if (!check.error.isEmpty())
        Messages::error(this, check.error);
    // data.un keeps only the password's hash: the password itself is the text just given, which
    // the password window holds.
    *password = check.passed && !check.password.isEmpty() && m_passwordDialog
                    ? m_passwordDialog->passwordField()->text()
                    : QString();
    return check.passed;
}

void CatalogueEditor::onAddClicked() {
    if (!m_databaseDialog)
        return;
    m_databaseDialog->setAddMode();
    if (m_databaseDialog->exec() != QDialog::Accepted)
        return;
    showDraft(m_draft.add(m_databaseDialog->entry()));
}

void CatalogueEditor::onDeleteClicked() {
    const int row = currentRow();
    const EntryRemoval removal =
        CheckEntryRemoval(m_draft.entries().at(row).folder, [this](const QString& stored) {
            return AskPassword(m_passwordDialog, stored);
        });
    if (!removal.notice.isEmpty())
        Messages::error(this, removal.notice);
    if (!removal.allowed)
        return;
    if (!Messages::confirm(this, LangText(u"err011"_s, u"Do you want delete?"_s)))
        return;
    showDraft(m_draft.remove(row));
}

void CatalogueEditor::onEditClicked() {
    if (!m_databaseDialog)
        return;
    const int row = currentRow();
    const CatalogueEntry entry = m_draft.entries().at(row);
    QString password;
    if (!passwordPasses(entry.folder, &password))
        return;
    m_databaseDialog->setEditMode(entry.name, password, entry.folder,
                                  DatabaseFolder::isEncrypted(entry.folder));
    if (m_databaseDialog->exec() != QDialog::Accepted)
        return;
    m_draft.rename(row, m_databaseDialog->name());
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
