#pragma once

// BackupWindow: the backup window shown at close, copying the database's listed files into a
// folder of the user's choice.

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
    // The database's name in the catalogue: its copies go into a folder of that name where the
    // chosen folder is the user's folder for backups or holds another database's copy.
    void setDatabaseName(const QString& name) { m_databaseName = name; }

    // The folder selected in the tree (empty when none is).
    QString selectedFolder() const;
    // Selects folder in the tree; false when the folder is not in the tree.
    bool selectFolder(const QString& folder);

    // Every way of closing the window ends here: "reservcopy" and "showcopy" are stored. While
    // the copy is being made the window stays open.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Makes the copy through MakeBackup into the selected folder.
    void onCopyClicked();
    // Shows under the tree the whole path of the folder the copy goes into.
    void showTarget();

    QString m_databaseFolder;
    QString m_databaseName;
    bool m_copying = false;
    QTimer* m_closeTimer;

    QLabel* m_titleLabel;       // "Reserv Copy", in bold
    FolderTree* m_folderTree;   // the folder the copy goes to
    QLabel* m_pathLabel;        // under the tree, the full path of the folder the copy goes into
    QProgressBar* m_copyGauge;  // vertical, a step per file copied, maximum 10
    QCheckBox* m_dontShowCheck; // "Don't show me again"
    QPushButton* m_copyButton;  // "Create copy"
    QPushButton* m_skipButton;  // "Don't": closes without a copy
};

} // namespace zovi
