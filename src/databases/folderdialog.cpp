#include "databases/folderdialog.h"

#include "core/layouts.h"
#include "databases/catalogue.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
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
    // The listings come in as rows added and then sorted, after the listing's directoryLoaded
    // at times: the folder is brought back after each of these, once the change is whole.
    m_follow = new QTimer(this);
    m_follow->setSingleShot(true);
    m_follow->setInterval(0);
    connect(m_follow, &QTimer::timeout, this, &FolderTree::scrollToFollowed);
    connect(m_model, &QFileSystemModel::directoryLoaded, this, &FolderTree::directoryLoaded);
    connect(m_model, &QFileSystemModel::rowsInserted, this, &FolderTree::follow);
    connect(m_model, &QFileSystemModel::layoutChanged, this, &FolderTree::follow);
    // A scroll by the user (wheel, bar, keys on the bar) ends the following of the folder.
    for (QScrollBar* bar : {verticalScrollBar(), horizontalScrollBar()})
        connect(bar, &QScrollBar::actionTriggered, this, [this] { m_followed.clear(); });
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
    m_followed = m_model->filePath(index);
    scrollToFollowed();
    return true;
}

void FolderTree::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTreeView::currentChanged(current, previous);
    const QString folder = current.isValid() ? m_model->filePath(current) : QString();
    if (folder != m_followed)
        m_followed.clear();
    Q_EMIT folderChosen(folder);
}

void FolderTree::mousePressEvent(QMouseEvent* event) {
    m_followed.clear();
    QTreeView::mousePressEvent(event);
}

void FolderTree::keyPressEvent(QKeyEvent* event) {
    m_followed.clear();
    QTreeView::keyPressEvent(event);
}

void FolderTree::directoryLoaded(const QString& path) {
    if (m_followed.isEmpty())
        return;
    // Only a listing of the folder's own parents moves it.
    const QString parent = path.endsWith(u'/') ? path : path + u'/';
    if (m_followed.startsWith(parent))
        follow();
}

void FolderTree::follow() {
    if (!m_followed.isEmpty())
        m_follow->start();
}

void FolderTree::scrollToFollowed() {
    if (m_followed.isEmpty())
        return;
    const QModelIndex index = m_model->index(m_followed);
    if (index.isValid())
        scrollTo(index, QAbstractItemView::PositionAtCenter);
}

FolderDialog::FolderDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(u"TfChooseShell"_s);
    setWindowTitle(u"Choose a folder"_s);
    setModal(true);

    m_folderTree = Named(new FolderTree(this), "TreeView1");

    m_okButton = Named(new QPushButton(u"Ok"_s, this), "Button1");
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);

    QHBoxLayout* buttons = ButtonRow({m_okButton});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_folderTree);
    layout->addLayout(buttons);
    resize(360, 420);
}

QString FolderDialog::chosenFolder() const {
    return m_folderTree->chosenFolder();
}

bool FolderDialog::selectFolder(const QString& folder) {
    return m_folderTree->selectFolder(folder);
}

void FolderDialog::chooseInto(QLineEdit* field) {
    if (!field->text().isEmpty())
        selectFolder(field->text());
    if (exec() != QDialog::Accepted)
        return;
    const QString chosen = chosenFolder();
    if (!chosen.isEmpty())
        field->setText(Catalogue::withSeparator(chosen));
}

} // namespace zovi
