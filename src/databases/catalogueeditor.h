#pragma once

// CatalogueEditor: the catalogue editor, adding, renaming and removing entries of bases.ini.
// Controls: Label1 ("Databases"), Grid1 (column 0 the display names, column 1 the folders,
// hidden), Button1 ("Add"), Button2 ("Delete"), Button3 ("Edit"), Button4 ("OK", default).

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
    CatalogueEditor(PasswordDialog* password, DatabaseDialog* editData, QWidget* parent = nullptr);

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
    // that cannot be read is shown and fails the check. password receives the stored password.
    bool passwordPasses(const QString& folder, QString* password);
    void AddClick();
    void DeleteClick();
    void EditClick();

    PasswordDialog* m_password;
    DatabaseDialog* m_editData;
    CatalogueDraft m_draft;
    bool m_filled = false;

    QLabel* Label1;
    QTableWidget* Grid1;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    QPushButton* Button4;
};

} // namespace zovi
