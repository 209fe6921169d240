#pragma once

// BackupWindow: the backup window shown at close, copying the database's listed files into a
// folder of the user's choice.
// Controls: Label1 (the title "Reserv Copy"), Shell (the tree of folders), Label2 (under the
// tree, the full path of the folder selected in it), Gauge1 (vertical, maximum 10), CheckBox1
// ("Don't show me again"), Button1 ("Create copy"), Button2 ("Don't").

#include <QDialog>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace zovi {

class FolderTree;

class BackupWindow : public QDialog {
    Q_OBJECT

public:
    explicit BackupWindow(QWidget* parent = nullptr);

    // The database folder whose copy.txt names the files to copy; set before exec().
    void setDatabaseFolder(const QString& folder) { m_databaseFolder = folder; }

    // The folder selected in Shell (empty when none is).
    QString selectedFolder() const;
    // Selects folder in Shell; false when the folder is not in the tree.
    bool selectFolder(const QString& folder);

    // Every way of closing the window ends here: "reservcopy" and "showcopy" are stored.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Makes the copy through MakeBackup into the selected folder.
    void Button1Click();

    QString m_databaseFolder;
    QTimer* m_closeTimer;

    QLabel* Label1;
    FolderTree* Shell;
    QLabel* Label2;
    QProgressBar* Gauge1;
    QCheckBox* CheckBox1;
    QPushButton* Button1;
    QPushButton* Button2;
};

} // namespace zovi
