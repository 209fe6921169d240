#include "ledger/movedialog.h"

#include "core/layouts.h"
#include "core/translate.h"
#include "ledger/entrycontrols.h"
#include "ledger/entrykinds.h"
#include "store/datamodules.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zovi {

MoveDialog::MoveDialog(LedgerTables& tables, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_data(tables) {
    setObjectName(QStringLiteral("TfMove"));
    setModal(true);
    m_promptLabel = Named(new QLabel(QStringLiteral("Move to:"), this), "Label1");
    m_accountBox = Named(new QComboBox(this), "ComboBox1");
    m_okButton = Named(new QPushButton(QStringLiteral("OK"), this), "Button1");
    m_okButton->setDefault(true);
    m_cancelButton = Named(new QPushButton(QStringLiteral("Cancel"), this), "Button2");

    // Without a border the window draws its own edge.
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    auto* inner = new QVBoxLayout(frame);
    inner->addWidget(m_promptLabel);
    inner->addWidget(m_accountBox);
    inner->addLayout(ButtonRow({m_okButton, m_cancelButton}));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame);
    setMinimumWidth(240);

    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

QString MoveDialog::account() const {
    return m_accountBox->currentText();
}

void MoveDialog::showEvent(QShowEvent* event) {
    Translate(m_promptLabel, QStringLiteral("move to"));
    TranslateOkCancel(m_okButton, m_cancelButton);
    m_accountBox->clear();
    m_accountBox->addItems(Names(m_data.tbGr1));
    m_accountBox->addItem(AllAccounts());
    m_accountBox->setCurrentIndex(0);
    QDialog::showEvent(event);
}

} // namespace zovi
