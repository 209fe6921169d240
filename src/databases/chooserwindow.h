#pragma once

// ChooserWindow: the start-up chooser; the user picks a database of the catalogue, gives its
// password, and the chooser opens it into the table handles (see OpenChosenDatabase).
// Controls: Image1 (the picture of welcome.bmp), Label1 ("Databases:"), listdata (the display
// names), Button1 ("OK", default), Label2 (the link "Database Editor").

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
    ChooserWindow(LedgerTables& data, DebtTables& cd, PasswordDialog* password, CatalogueEditor* editor, WaitWindow* wait,
               QWidget* parent = nullptr);

    // Reads the catalogue (made with its default lines when missing) into listdata and selects
    // the first entry; "OK" is enabled exactly when there is an entry.
    void ReDataList();
    // The folder of the database opened by "OK", ending with "/"; empty before that.
    QString openedFolder() const { return m_openedFolder; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Button1Click();
    void openEditor();
    void refuse(const QString& message, bool withBeep);

    LedgerTables& m_data;
    DebtTables& m_cd;
    PasswordDialog* m_password;
    CatalogueEditor* m_editor;
    WaitWindow* m_wait;
    QList<CatalogueEntry> m_entries;
    QString m_openedFolder;

    QLabel* Image1;
    QLabel* Label1;
    QComboBox* listdata;
    QPushButton* Button1;
    QLabel* Label2;
};

} // namespace zovi
