#pragma once

// DatabaseDialog: the entry dialog of the catalogue editor, adding a database (a new one made from
// the template, or an existing folder) or renaming an entry.
// Controls: Gauge1 (progress of the copy, accumulating over the run), GroupBox1 (" Name "),
// Edit1 (the name), GroupBox2 (" Password "), Edit2 (the password), GroupBox3
// (" Database route "), RadioButton1 ("Default"), RadioButton2 ("Other"), Edit3 (the folder),
// Button3 ("..."), CheckBox1 ("Create new database"), Button1 ("OK", default), Button2
// ("Cancel").

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
    explicit DatabaseDialog(FolderDialog* chooser, QWidget* parent = nullptr);

    // Add mode: empty fields, "Default" and "Create new database" checked, the folder editable.
    void setAddMode();
    // Edit mode: the entry's name, the database's current password and its folder (read-only);
    // only the name is taken over on OK.
    void setEditMode(const QString& name, const QString& password, const QString& folder);
    bool isEditMode() const { return m_editMode; }

    // The name and the folder as accepted by OK (the folder ends with "/" unless empty).
    QString name() const;
    QString folder() const;
    CatalogueEntry entry() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void applyRoute();
    void chooseFolder();
    // Checks the name, then adds the database through AddDatabase; stays open on a refusal.
    void Button1Click();
    void addToGauge(int length);
    void stepGauge();

    FolderDialog* m_chooser;
    bool m_editMode = false;
    int m_gaugeMax = 0;
    int m_gaugePos = 0;

    QProgressBar* Gauge1;
    QGroupBox* GroupBox1;
    QLineEdit* Edit1;
    QGroupBox* GroupBox2;
    QLineEdit* Edit2;
    QGroupBox* GroupBox3;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QLineEdit* Edit3;
    QPushButton* Button3;
    QCheckBox* CheckBox1;
    QPushButton* Button1;
    QPushButton* Button2;
};

} // namespace zovi
