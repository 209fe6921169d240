#pragma once

// CatalogueEditor: the catalogue editor, adding, renaming and removing entries of bases.ini.

#include "databases/catalogue.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

namespace zovi {

class DatabaseDialog;
class PasswordDialog;

class CatalogueEditor : public QDialog {
    Q_OBJECT

public:
    CatalogueEditor(PasswordDialog* passwordDialog, DatabaseDialog* databaseDialog,
                    QWidget* parent = nullptr);

    // The rows of the grid as catalogue entries, in order.
    QList<CatalogueEntry> entries() const;

    // Every way of closing the window ends here: bases.ini is rewritten from the grid.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Shows the draft in the grid with row current.
    void showDraft(int current);
    int currentRow() const;
    void offerFirstEntry();
    // The password check for the database of folder (see CheckPassword); a stored password
    // that cannot be read is shown and fails the check. password receives the password given
    // (empty for a database without one).
    bool passwordPasses(const QString& folder, QString* password);
    void onAddClicked();
    void onDeleteClicked();
    void onEditClicked();

    PasswordDialog* m_passwordDialog;
    DatabaseDialog* m_databaseDialog;
    CatalogueDraft m_draft;
    bool m_filled = false;

    QLabel* m_titleLabel;        // "Databases"
    QTableWidget* m_entryGrid;   // column 0 the display names, column 1 the folders (hidden)
    QPushButton* m_addButton;    // "Add"
    QPushButton* m_deleteButton; // "Delete"
    QPushButton* m_editButton;   // "Edit"
    QPushButton* m_okButton;     // "OK", default
};

} // namespace zovi
