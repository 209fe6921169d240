#include "databases/backupwindow.h"

#include "core/lang.h"
#include "core/layouts.h"
#include "core/messages.h"
#include "core/settings.h"
#include "databases/databasecommands.h"
#include "databases/folderdialog.h"

#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace zovi {

BackupWindow::BackupWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(u"TReservCopy"_s);
    setWindowTitle(u"Copy"_s);
    setModal(true);

    m_titleLabel = Named(new QLabel(u"Reserv Copy"_s, this), "Label1");
    QFont font = m_titleLabel->font();
    font.setBold(true);
    m_titleLabel->setFont(font);

    m_folderTree = Named(new FolderTree(this), "Shell");

    // The tree shows folder names only: the whole path says which of the folders of one name
    // the copy goes to, and whether it goes into a sub-folder named after the database.
    m_pathLabel = Named(new QLabel(this), "Label2");
    // A long path wraps at its spaces or is cut at the tree's width, never widening the window;
    // its tool tip holds it whole.
    m_pathLabel->setWordWrap(true);
    m_pathLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_pathLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    connect(m_folderTree, &FolderTree::folderChosen, this, &BackupWindow::showTarget);

    m_copyGauge = Named(new QProgressBar(this), "Gauge1");
    m_copyGauge->setOrientation(Qt::Vertical);
    m_copyGauge->setRange(0, 10);
    m_copyGauge->setValue(0);
    m_copyGauge->setTextVisible(false);

    m_dontShowCheck = Named(new QCheckBox(u"Don't show me again"_s, this), "CheckBox1");
    m_copyButton = Named(new QPushButton(u"Create copy"_s, this), "Button1");
    m_skipButton = Named(new QPushButton(u"Don't"_s, this), "Button2");

    m_closeTimer = new QTimer(this);
    m_closeTimer->setSingleShot(true);
    m_closeTimer->setInterval(500);
    connect(m_closeTimer, &QTimer::timeout, this, &QDialog::accept);
    connect(m_copyButton, &QPushButton::clicked, this, &BackupWindow::onCopyClicked);
    connect(m_skipButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_titleLabel, 0, 0, 1, 3);
    layout->addWidget(m_folderTree, 1, 0, 1, 2);
    layout->addWidget(m_copyGauge, 1, 2);
    layout->addWidget(m_pathLabel, 2, 0, 1, 2);
    layout->addWidget(m_dontShowCheck, 3, 0, 1, 3);
    layout->addWidget(m_copyButton, 4, 0);
    layout->addWidget(m_skipButton, 4, 1);
    resize(380, 440);
}

QString BackupWindow::selectedFolder() const {
    return m_folderTree->chosenFolder();
}

bool BackupWindow::selectFolder(const QString& folder) {
    return m_folderTree->selectFolder(folder);
}

void BackupWindow::showTarget() {
    const QString target = BackupTarget(m_databaseFolder, m_databaseName, selectedFolder());
    m_pathLabel->setText(QDir::toNativeSeparators(target));
    m_pathLabel->setToolTip(m_pathLabel->text());
}

void BackupWindow::showEvent(QShowEvent* event) {
    // A window restored from the task bar is shown again by the system: nothing is re-read.
    if (event->spontaneous()) {
        QDialog::showEvent(event);
        return;
    }
    QString text;
    if (LangString(u"caption010"_s, text)) {
        setWindowTitle(text);
        m_titleLabel->setText(text);
    }
    text.clear();
    if (LangString(u"dont show"_s, text))
        m_dontShowCheck->setText(text);
    text.clear();
    if (LangString(u"copyyes"_s, text))
        m_copyButton->setText(text);
    text.clear();
    if (LangString(u"copyno"_s, text))
        m_skipButton->setText(text);

    // Every showing starts ready to copy.
    m_copyGauge->setValue(0);
    m_copyButton->setEnabled(true);
    m_skipButton->setEnabled(true);
    m_folderTree->setEnabled(true);
    selectFolder(ProposedBackupFolder(settings::backupFolder.read()));
    // The database may differ from the one the window was last shown for.
    showTarget();
    QDialog::showEvent(event);
}

void BackupWindow::onCopyClicked() {
    const auto setReady = [this](bool ready) {
        m_copyButton->setEnabled(ready);
        m_skipButton->setEnabled(ready);
        m_folderTree->setEnabled(ready);
    };
    setReady(false);
    m_copying = true;
    const BackupOutcome outcome =
        MakeBackup(m_databaseFolder, m_databaseName, selectedFolder(), [this] {
            if (m_copyGauge->value() < m_copyGauge->maximum())
                m_copyGauge->setValue(m_copyGauge->value() + 1);
        });
    m_copying = false;
    // Nothing copied: the window stays ready for another folder.
    if (!outcome.copied)
        setReady(true);
    if (!outcome.message.isEmpty())
        Messages::error(this, outcome.message);
    if (outcome.copied)
        m_closeTimer->start();
}

void BackupWindow::done(int result) {
    // The window paints while the copy waits for a file; closing it then would leave the copy
    // running after the database closed.
    if (m_copying)
        return;
    m_closeTimer->stop();
    // Nothing selected (the stored folder is gone) keeps the stored folder.
    const QString folder = selectedFolder();
    if (!folder.isEmpty())
        settings::backupFolder.write(folder);
    settings::showBackupWindow.write(!m_dontShowCheck->isChecked());
    QDialog::done(result);
}

} // namespace zovi
