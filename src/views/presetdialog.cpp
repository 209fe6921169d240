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
    auto* label = Named(new QLabel(QStringLiteral("Name"), this), "Label1");
    Edit1 = Named(new QLineEdit(this), "Edit1");
    Button1 = Named(new QPushButton(QStringLiteral("OK"), this), "Button1");
    auto* cancel = Named(new QPushButton(QStringLiteral("Cancel"), this), "Button2");
    Button1->setDefault(true);
    cancel->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(Edit1, &QLineEdit::textChanged, this,
            [this](const QString& text) { Button1->setEnabled(!text.isEmpty()); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(Edit1);
    layout->addLayout(ButtonRow({Button1, cancel}));
    Button1->setEnabled(false);
    resize(280, 100);
}

bool PresetNameDialog::ask(QString& name) {
    Edit1->clear();
    Button1->setEnabled(false);
    if (exec() != QDialog::Accepted)
        return false;
    name = Edit1->text();
    return true;
}

void PresetNameDialog::showEvent(QShowEvent* event) {
    Translate(this, QStringLiteral("save as"));
    Translate(findChild<QLabel*>(QStringLiteral("Label1")), QStringLiteral("name"));
    QDialog::showEvent(event);
    Edit1->setFocus();
}

} // namespace zovi
