#include "databases/folderdialog.h"

#include "core/layouts.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace zovi {

FolderTree::FolderTree(QWidget* parent) : QTreeView(parent) {
    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::Dirs | QDir::Drives | QDir::NoDotAndDotDot);
    m_model->setRootPath(QDir::rootPath());
    setModel(m_model);
    setRootIndex(QModelIndex());
    for (int column = 1; column < m_model->columnCount(); ++column)
        hideColumn(column);
    header()->hide();
    setSelectionMode(QAbstractItemView::SingleSelection);
    expand(m_model->index(QDir::rootPath()));
}

QString FolderTree::chosenFolder() const {
    const QModelIndex index = currentIndex();
    return index.isValid() ? m_model->filePath(index) : QString();
}

bool FolderTree::selectFolder(const QString& folder) {
    const QModelIndex index = m_model->index(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()));
    if (!index.isValid())
        return false;
    setCurrentIndex(index);
    scrollTo(index);
    return true;
}

TfChooseShell::TfChooseShell(QWidget* parent) : QDialog(parent) {
    setObjectName(u"TfChooseShell"_s);
    setWindowTitle(u"Choose a folder"_s);
    setModal(true);

    TreeView1 = new FolderTree(this);
    TreeView1->setObjectName(u"TreeView1"_s);

    Button1 = new QPushButton(u"Ok"_s, this);
    Button1->setObjectName(u"Button1"_s);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    QHBoxLayout* buttons = ButtonRow({Button1});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(TreeView1);
    layout->addLayout(buttons);
    resize(360, 420);
}

QString TfChooseShell::chosenFolder() const {
    return TreeView1->chosenFolder();
}

bool TfChooseShell::selectFolder(const QString& folder) {
    return TreeView1->selectFolder(folder);
}

} // namespace zovi
