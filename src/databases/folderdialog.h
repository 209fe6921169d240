#pragma once

// TfChooseShell: the folder browser of the entry dialog and of the import window.
// Controls: TreeView1 (the tree of folders, rooted at the file system's root), Button1 ("Ok",
// default).

#include <QDialog>
#include <QTreeView>

class QFileSystemModel;
class QPushButton;

namespace zovi {

// The tree of the file system's folders, rooted at its root (the top item, as the drives are on
// other systems), where one folder is chosen; the folder browser and the backup window show it.
class FolderTree : public QTreeView {
    Q_OBJECT

public:
    explicit FolderTree(QWidget* parent = nullptr);

    // The folder selected in the tree (empty when none is).
    QString chosenFolder() const;
    // Selects folder in the tree and shows it; false when the folder is not in the tree.
    bool selectFolder(const QString& folder);

private:
    QFileSystemModel* m_model;
};

class TfChooseShell : public QDialog {
    Q_OBJECT

public:
    explicit TfChooseShell(QWidget* parent = nullptr);

    // The folder selected in the tree (empty when none is).
    QString chosenFolder() const;
    // Selects folder in the tree and shows it; false when the folder is not in the tree.
    bool selectFolder(const QString& folder);

private:
    FolderTree* TreeView1;
    QPushButton* Button1;
};

} // namespace zovi
