#include "databases/passworddialog.h"

#include "core/lang.h"
#include "core/layouts.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace zovi {

PasswordDialog::PasswordDialog(QWidget* parent) : QDialog(parent, Qt::Tool) {
    setObjectName(u"TfPasswordCheck"_s);
    setWindowTitle(u"Password"_s);
    setModal(true);

    GroupBox1 = new QGroupBox(u" Password "_s, this);
    GroupBox1->setObjectName(u"GroupBox1"_s);
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setObjectName(u"Edit1"_s);
    Edit1->setEchoMode(QLineEdit::Password);
    auto* boxLayout = new QVBoxLayout(GroupBox1);
    boxLayout->addWidget(Edit1);

    Button1 = new QPushButton(u"OK"_s, this);
    Button1->setObjectName(u"Button1"_s);
    Button1->setDefault(true);
    Button2 = new QPushButton(u"Cancel"_s, this);
    Button2->setObjectName(u"Button2"_s);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    QHBoxLayout* buttons = ButtonRow({Button1, Button2});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addLayout(buttons);
    setMinimumWidth(260);
}

void PasswordDialog::showEvent(QShowEvent* event) {
    QString caption;
    if (LangString(u"password"_s, caption))
        GroupBox1->setTitle(u' ' + caption + u' ');
    Edit1->setFocus();
    QDialog::showEvent(event);
}

bool PasswordDialog::check(const QString& stored) {
    for (;;) {
        if (Edit1->text() == stored)
            return true;
        Edit1->clear();
        if (exec() != QDialog::Accepted)
            return false;
    }
}

bool AskPassword(PasswordDialog* window, const QString& stored) {
    return window && window->check(stored);
}

} // namespace zovi
