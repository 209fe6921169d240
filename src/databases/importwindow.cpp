#include "databases/importwindow.h"

#include "core/lang.h"
#include "core/layouts.h"
#include "core/messages.h"
#include "core/translate.h"
#include "core/wait.h"
#include "databases/catalogue.h"
#include "databases/folderdialog.h"
#include "databases/oldimport.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace zovi {

ImportWindow::ImportWindow(LedgerTables& tables, DebtTables& cd, FolderDialog* folderDialog,
                           QWidget* parent)
    : QDialog(parent), m_data(tables), m_cd(cd), m_folderDialog(folderDialog) {
    setObjectName(u"TfImportZovi5"_s);
    setWindowTitle(u" Import "_s);
    setModal(true);

    m_folderBox = Named(new QGroupBox(u" Root "_s, this), "GroupBox1");
    m_folderEdit = Named(new QLineEdit(m_folderBox), "Edit1");
    m_browseButton = Named(new QPushButton(u"..."_s, m_folderBox), "Button2");
    m_browseButton->setAutoDefault(false);
    auto* root = new QHBoxLayout(m_folderBox);
    root->addWidget(m_folderEdit, 1);
    root->addWidget(m_browseButton);

    m_importGauge = Named(new QProgressBar(this), "Gauge1");
    m_importGauge->setRange(0, 1000);
    m_importGauge->setValue(0);
    m_importGauge->setTextVisible(false);

    m_okButton = Named(new QPushButton(u"OK"_s, this), "Button1");
    m_okButton->setDefault(true);

    connect(m_browseButton, &QPushButton::clicked, this, &ImportWindow::onBrowseClicked);
    connect(m_okButton, &QPushButton::clicked, this, &ImportWindow::onOkClicked);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_folderBox);
    layout->addWidget(m_importGauge);
    layout->addLayout(ButtonRow({m_okButton}));
    setMinimumWidth(420);
}

void ImportWindow::showEvent(QShowEvent* event) {
    QString caption;
    if (LangString(u"caption013"_s, caption))
        setWindowTitle(u' ' + caption + u' ');
    Translate(m_folderBox, u"root"_s);
    Translate(m_okButton, u"ok"_s);
    m_importGauge->setValue(0);
    QDialog::showEvent(event);
    m_folderEdit->setFocus();
}

void ImportWindow::onBrowseClicked() {
    if (m_folderDialog)
        m_folderDialog->chooseInto(m_folderEdit);
}

void ImportWindow::onOkClicked() {
    m_importGauge->setValue(0);
    ImportOutcome outcome;
    {
        // Only the gauge is repainted while the import runs: no event is handled, so that no
        // other command can reach the tables half-way through.
        BusyCursor busy;
        outcome =
            ImportOldDatabase(m_data, m_cd, m_folderEdit->text(), m_reader, [this](int permille) {
                m_importGauge->setValue(permille);
                m_importGauge->repaint();
            });
    }
    if (!outcome.missingFile.isEmpty()) {
        // The box names the table that is missing, so that the user knows what to look for.
        Messages::error(this,
                        LangText(u"err017"_s, u"File not found"_s) + u"\n"_s + outcome.missingFile);
        return;
    }
    if (!outcome.imported) {
        Messages::error(this, outcome.error);
        return;
    }
    m_importGauge->setValue(m_importGauge->maximum());
    Messages::info(this, LangText(u"completezoviimport"_s, u"Complete"_s));
    accept();
}

} // namespace zovi
