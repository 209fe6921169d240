#include "views/presetdialog.h"

#include "core/layouts.h"
#include "core/translate.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zovi {

PresetNameDialog::PresetNameDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TfEditPreset"));
    setWindowTitle(QStringLiteral("Save as"));
    setModal(true);
    m_nameLabel = Named(new QLabel(QStringLiteral("Name"), this), "Label1");
    m_nameEdit = Named(new QLineEdit(this), "Edit1");
    m_okButton = Named(new QPushButton(QStringLiteral("OK"), this), "Button1");
    m_cancelButton = Named(new QPushButton(QStringLiteral("Cancel"), this), "Button2");
    auto* cancel = m_cancelButton;
    m_okButton->setDefault(true);
    cancel->setAutoDefault(false);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_nameEdit, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_okButton->setEnabled(!text.isEmpty()); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_nameLabel);
    layout->addWidget(m_nameEdit);
    layout->addLayout(ButtonRow({m_okButton, cancel}));
    m_okButton->setEnabled(false);
    resize(280, 100);
}

bool PresetNameDialog::ask(QString& name) {
    m_nameEdit->clear();
    m_okButton->setEnabled(false);
    if (exec() != QDialog::Accepted)
        return false;
    name = m_nameEdit->text();
    return true;
}

void PresetNameDialog::showEvent(QShowEvent* event) {
    Translate(this, QStringLiteral("save as"));
    Translate(m_nameLabel, QStringLiteral("name"));
    TranslateOkCancel(m_okButton, m_cancelButton);
    QDialog::showEvent(event);
    m_nameEdit->setFocus();
}

} // namespace zovi
