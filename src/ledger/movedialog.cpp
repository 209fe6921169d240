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
    Label1 = Named(new QLabel(QStringLiteral("Move to:"), this), "Label1");
    ComboBox1 = Named(new QComboBox(this), "ComboBox1");
    Button1 = Named(new QPushButton(QStringLiteral("OK"), this), "Button1");
    Button1->setDefault(true);
    Button2 = Named(new QPushButton(QStringLiteral("Cancel"), this), "Button2");

    // Without a border the window draws its own edge.
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    auto* inner = new QVBoxLayout(frame);
    inner->addWidget(Label1);
    inner->addWidget(ComboBox1);
    inner->addLayout(ButtonRow({Button1, Button2}));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame);
    setMinimumWidth(240);

    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

QString MoveDialog::account() const {
    return ComboBox1->currentText();
}

void MoveDialog::showEvent(QShowEvent* event) {
    Translate(Label1, QStringLiteral("move to"));
    ComboBox1->clear();
    ComboBox1->addItems(Names(m_data.tbGr1));
    ComboBox1->addItem(AllAccounts());
    ComboBox1->setCurrentIndex(0);
    QDialog::showEvent(event);
}

} // namespace zovi
