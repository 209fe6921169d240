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

ImportWindow::ImportWindow(LedgerTables& tables, DebtTables& cd, FolderDialog* chooser, QWidget* parent)
    : QDialog(parent), m_data(tables), m_cd(cd), m_chooser(chooser) {
    setObjectName(u"TfImportZovi5"_s);
    setWindowTitle(u" Import "_s);
    setModal(true);

    GroupBox1 = new QGroupBox(u" Root "_s, this);
    GroupBox1->setObjectName(u"GroupBox1"_s);
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setObjectName(u"Edit1"_s);
    Button2 = new QPushButton(u"..."_s, GroupBox1);
    Button2->setObjectName(u"Button2"_s);
    Button2->setAutoDefault(false);
    auto* root = new QHBoxLayout(GroupBox1);
    root->addWidget(Edit1, 1);
    root->addWidget(Button2);

    Gauge1 = new QProgressBar(this);
    Gauge1->setObjectName(u"Gauge1"_s);
    Gauge1->setRange(0, 1000);
    Gauge1->setValue(0);
    Gauge1->setTextVisible(false);

    Button1 = new QPushButton(u"OK"_s, this);
    Button1->setObjectName(u"Button1"_s);
    Button1->setDefault(true);

    connect(Button2, &QPushButton::clicked, this, &ImportWindow::chooseFolder);
    connect(Button1, &QPushButton::clicked, this, &ImportWindow::Button1Click);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addWidget(Gauge1);
    layout->addLayout(ButtonRow({Button1}));
    setMinimumWidth(420);
}

void ImportWindow::showEvent(QShowEvent* event) {
    QString caption;
    if (LangString(u"caption013"_s, caption))
        setWindowTitle(u' ' + caption + u' ');
    Translate(GroupBox1, u"root"_s);
    Gauge1->setValue(0);
    QDialog::showEvent(event);
    Edit1->setFocus();
}

void ImportWindow::chooseFolder() {
    if (m_chooser)
        m_chooser->chooseInto(Edit1);
}

void ImportWindow::Button1Click() {
    Gauge1->setValue(0);
    ImportOutcome outcome;
    {
        // Only the gauge is repainted while the import runs: no event is handled, so that no
        // other command can reach the tables half-way through.
        BusyCursor busy;
        outcome = ImportOldDatabase(m_data, m_cd, Edit1->text(), m_reader, [this](int permille) {
            Gauge1->setValue(permille);
            Gauge1->repaint();
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
    Gauge1->setValue(Gauge1->maximum());
    Messages::info(this, LangText(u"completezoviimport"_s, u"Complete"_s));
    accept();
}

} // namespace zovi
