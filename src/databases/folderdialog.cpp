#include "databases/folderdialog.h"

#include "core/layouts.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace zovi {

TfChooseShell::TfChooseShell(QWidget* parent) : QDialog(parent) {
    setObjectName(u"TfChooseShell"_s);
    setWindowTitle(u"Choose a folder"_s);
    setModal(true);

    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::Dirs | QDir::Drives | QDir::NoDotAndDotDot);
    m_model->setRootPath(QDir::rootPath());

    TreeView1 = new QTreeView(this);
    TreeView1->setObjectName(u"TreeView1"_s);
    TreeView1->setModel(m_model);
    // The root folder itself is the top item, as the drives are on other systems.
    TreeView1->setRootIndex(QModelIndex());
    for (int column = 1; column < m_model->columnCount(); ++column)
        TreeView1->hideColumn(column);
    TreeView1->header()->hide();
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeView1->expand(m_model->index(QDir::rootPath()));

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
    const QModelIndex index = TreeView1->currentIndex();
    return index.isValid() ? m_model->filePath(index) : QString();
}

bool TfChooseShell::selectFolder(const QString& folder) {
    const QModelIndex index = m_model->index(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()));
    if (!index.isValid())
        return false;
    TreeView1->setCurrentIndex(index);
    TreeView1->scrollTo(index);
    return true;
}

} // namespace zovi
