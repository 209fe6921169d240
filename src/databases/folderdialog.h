#pragma once

// TfChooseShell: the folder browser of the entry dialog and of the import window.
// Controls: TreeView1 (the tree of folders, rooted at the file system's root), Button1 ("Ok",
// default).

#include <QDialog>

class QFileSystemModel;
class QPushButton;
class QTreeView;

namespace zovi {

class TfChooseShell : public QDialog {
    Q_OBJECT

public:
    explicit TfChooseShell(QWidget* parent = nullptr);

    // The folder selected in the tree (empty when none is).
    QString chosenFolder() const;
    // Selects folder in the tree and shows it; false when the folder is not in the tree.
    bool selectFolder(const QString& folder);

private:
    QFileSystemModel* m_model;
    QTreeView* TreeView1;
    QPushButton* Button1;
};

} // namespace zovi
