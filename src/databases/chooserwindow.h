#pragma once

// ChooserWindow: the start-up chooser; the user picks a database of the catalogue, gives its
// password, and the chooser opens it into the table handles (see OpenChosenDatabase).

#include "databases/catalogue.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace zovi {

class DebtTables;
class CatalogueEditor;
class LedgerTables;
class PasswordDialog;
class WaitWindow;

class ChooserWindow : public QDialog {
    Q_OBJECT

public:
    ChooserWindow(LedgerTables& data, DebtTables& cd, PasswordDialog* passwordDialog,
                  CatalogueEditor* editor, WaitWindow* wait, QWidget* parent = nullptr);

    // Reads the catalogue (made with its default lines when missing) into the list of names and
    // selects the first entry; "OK" is enabled exactly when there is an entry.
    void reloadCatalogue();
    // The folder of the database opened by "OK", ending with "/"; empty before that.
    QString openedFolder() const { return m_openedFolder; }
    // The display name of that database in the catalogue; empty before that.
    QString openedName() const { return m_openedName; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void onOkClicked();
    void openEditor();
    void refuse(const QString& message, bool withBeep);

    LedgerTables& m_data;
    DebtTables& m_cd;
    PasswordDialog* m_passwordDialog;
    CatalogueEditor* m_editor;
    WaitWindow* m_wait;
    QList<CatalogueEntry> m_entries;
    QString m_openedFolder;
    QString m_openedName;

    QLabel* m_pictureLabel;    // the picture of welcome.bmp
    QLabel* m_databasesLabel;  // "Databases:"
    QComboBox* m_databaseList; // the display names of the catalogue
    QPushButton* m_okButton;   // "OK", default: opens the chosen database
    QLabel* m_editorLink;      // the link "Database Editor"
};

} // namespace zovi
