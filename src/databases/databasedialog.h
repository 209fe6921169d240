#pragma once

// DatabaseDialog: the entry dialog of the catalogue editor, adding a database (a new one made from
// the template, or an existing folder) or renaming an entry.

#include "databases/catalogue.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace zovi {

class FolderDialog;

class DatabaseDialog : public QDialog {
    Q_OBJECT

public:
    explicit DatabaseDialog(FolderDialog* folderDialog, QWidget* parent = nullptr);

    // Add mode: empty fields, "Default" and "Create new database" checked, the folder editable.
    void setAddMode();
    // Edit mode: the entry's name, the database's current password, its folder (read-only) and
    // whether its tables are encrypted. On OK the name is taken over, and a changed password or
    // encryption is applied to the database (ChangeDatabase).
    void setEditMode(const QString& name, const QString& password, const QString& folder,
                     bool encrypted = false);
    bool isEditMode() const { return m_editMode; }

    // The name and the folder as accepted by OK (the folder ends with "/" unless empty).
    QString name() const;
    QString folder() const;
    CatalogueEntry entry() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void applyRoute();
    // Encryption needs a password: the check box is usable only while the field holds one.
    void applyPassword();
    void onBrowseClicked();
    // Checks the name, then adds the database through AddDatabase; stays open on a refusal.
    void onOkClicked();
    void addToGauge(int length);
    void stepGauge();

    FolderDialog* m_folderDialog;
    bool m_editMode = false;
    QString m_editPassword; // edit mode: the password the database has now
    int m_gaugeMax = 0;
    int m_gaugePos = 0;

    QProgressBar* m_copyGauge;         // progress of the copy, accumulating over the run
    QGroupBox* m_nameBox;              // " Name "
    QLineEdit* m_nameEdit;             // the display name
    QGroupBox* m_passwordBox;          // " Password "
    QLineEdit* m_passwordEdit;         // the password of the database
    QCheckBox* m_encryptCheck;         // "Encrypt the tables with the password"
    QGroupBox* m_routeBox;             // " Database route "
    QRadioButton* m_defaultRouteRadio; // "Default": a folder under Databases/
    QRadioButton* m_otherRouteRadio;   // "Other": the folder of m_folderEdit
    QLineEdit* m_folderEdit;           // the folder
    QPushButton* m_browseButton;       // "...": the folder browser
    QCheckBox* m_createNewCheck;       // "Create new database"
    QPushButton* m_okButton;           // "OK", default
    QPushButton* m_cancelButton;       // "Cancel"
};

} // namespace zovi
