#pragma once

// FolderDialog: the folder browser of the entry dialog and of the import window.

#include <QDialog>
#include <QTreeView>

class QFileSystemModel;
class QPushButton;
class QTimer;

class QLineEdit;

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

Q_SIGNALS:
    // The selected folder changed, by the user or by selectFolder (empty when none is).
    void folderChosen(const QString& folder);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The file system model lists folders in the background: each listing that comes in above
    // the folder selectFolder chose inserts rows that push it down, out of sight. Until the user
    // touches the tree (a click, a key, a scroll), every such listing brings the chosen folder back
    // into view.
    void directoryLoaded(const QString& path);
    void follow();
    void scrollToFollowed();

    QFileSystemModel* m_model;
    QString m_followed; // the folder kept in view; empty once the user took over
    QTimer* m_follow;   // brings the followed folder back once the model's change is whole
};

class FolderDialog : public QDialog {
    Q_OBJECT

public:
    explicit FolderDialog(QWidget* parent = nullptr);

    // The folder selected in the tree (empty when none is).
    QString chosenFolder() const;
    // Selects folder in the tree and shows it; false when the folder is not in the tree.
    bool selectFolder(const QString& folder);
    // The browser for a folder field: opens on the field's folder, and a folder chosen with OK
    // replaces the field's text (ending with "/").
    void chooseInto(QLineEdit* field);

private:
    FolderTree* m_folderTree;
    QPushButton* m_okButton;
};

} // namespace zovi
