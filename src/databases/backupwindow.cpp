#include "databases/backupwindow.h"

#include "core/lang.h"
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

    Label1 = new QLabel(u"Reserv Copy"_s, this);
    Label1->setObjectName(u"Label1"_s);
    QFont font = Label1->font();
    font.setBold(true);
    Label1->setFont(font);

    Shell = new FolderTree(this);
    Shell->setObjectName(u"Shell"_s);

    // The tree shows folder names only: the whole path says which of the folders of one name
    // the copy goes to.
    Label2 = new QLabel(this);
    Label2->setObjectName(u"Label2"_s);
    // A long path wraps at its spaces or is cut at the tree's width, never widening the window;
    // its tool tip holds it whole.
    Label2->setWordWrap(true);
    Label2->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    Label2->setTextInteractionFlags(Qt::TextSelectableByMouse);
    connect(Shell, &FolderTree::folderChosen, Label2, [this](const QString& folder) {
        Label2->setText(QDir::toNativeSeparators(folder));
        Label2->setToolTip(Label2->text());
    });

    Gauge1 = new QProgressBar(this);
    Gauge1->setObjectName(u"Gauge1"_s);
    Gauge1->setOrientation(Qt::Vertical);
    Gauge1->setRange(0, 10);
    Gauge1->setValue(0);
    Gauge1->setTextVisible(false);

    CheckBox1 = new QCheckBox(u"Don't show me again"_s, this);
    CheckBox1->setObjectName(u"CheckBox1"_s);
    Button1 = new QPushButton(u"Create copy"_s, this);
    Button1->setObjectName(u"Button1"_s);
    Button2 = new QPushButton(u"Don't"_s, this);
    Button2->setObjectName(u"Button2"_s);

    m_closeTimer = new QTimer(this);
    m_closeTimer->setSingleShot(true);
    m_closeTimer->setInterval(500);
    connect(m_closeTimer, &QTimer::timeout, this, &QDialog::accept);
    connect(Button1, &QPushButton::clicked, this, &BackupWindow::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0, 1, 3);
    layout->addWidget(Shell, 1, 0, 1, 2);
    layout->addWidget(Gauge1, 1, 2);
    layout->addWidget(Label2, 2, 0, 1, 2);
    layout->addWidget(CheckBox1, 3, 0, 1, 3);
    layout->addWidget(Button1, 4, 0);
    layout->addWidget(Button2, 4, 1);
    resize(380, 440);
}

QString BackupWindow::selectedFolder() const {
    return Shell->chosenFolder();
}

bool BackupWindow::selectFolder(const QString& folder) {
    return Shell->selectFolder(folder);
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
        Label1->setText(text);
    }
    text.clear();
    if (LangString(u"dont show"_s, text))
        CheckBox1->setText(text);
    text.clear();
    if (LangString(u"copyyes"_s, text))
        Button1->setText(text);
    text.clear();
    if (LangString(u"copyno"_s, text))
        Button2->setText(text);

    // Every showing starts ready to copy.
    Gauge1->setValue(0);
    Button1->setEnabled(true);
    Button2->setEnabled(true);
    Shell->setEnabled(true);
    const QString last = settings::backupFolder.read();
    if (!last.isEmpty())
        selectFolder(last);
    QDialog::showEvent(event);
}

void BackupWindow::Button1Click() {
    const auto setReady = [this](bool ready) {
        Button1->setEnabled(ready);
        Button2->setEnabled(ready);
        Shell->setEnabled(ready);
    };
    setReady(false);
    const BackupOutcome outcome = MakeBackup(m_databaseFolder, selectedFolder(), [this] {
        if (Gauge1->value() < Gauge1->maximum())
            Gauge1->setValue(Gauge1->value() + 1);
    });
    // Nothing copied: the window stays ready for another folder.
    if (!outcome.copied)
        setReady(true);
    if (!outcome.message.isEmpty())
        Messages::error(this, outcome.message);
    if (outcome.copied)
        m_closeTimer->start();
}

void BackupWindow::done(int result) {
    m_closeTimer->stop();
    // Nothing selected (the stored folder is gone) keeps the stored folder.
    const QString folder = selectedFolder();
    if (!folder.isEmpty())
        settings::backupFolder.write(folder);
    settings::showBackupWindow.write(!CheckBox1->isChecked());
    QDialog::done(result);
}

} // namespace zovi
