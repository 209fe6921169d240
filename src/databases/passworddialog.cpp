#include "databases/passworddialog.h"

#include "core/lang.h"
#include "core/layouts.h"
#include "databases/passwordhash.h"

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

    m_passwordBox = Named(new QGroupBox(u" Password "_s, this), "GroupBox1");
    m_passwordEdit = Named(new QLineEdit(m_passwordBox), "Edit1");
    m_passwordEdit->setEchoMode(QLineEdit::Password);
    auto* boxLayout = new QVBoxLayout(m_passwordBox);
    boxLayout->addWidget(m_passwordEdit);

    m_okButton = Named(new QPushButton(u"OK"_s, this), "Button1");
    m_okButton->setDefault(true);
    m_cancelButton = Named(new QPushButton(u"Cancel"_s, this), "Button2");
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    QHBoxLayout* buttons = ButtonRow({m_okButton, m_cancelButton});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_passwordBox);
    layout->addLayout(buttons);
    setMinimumWidth(260);
}

void PasswordDialog::showEvent(QShowEvent* event) {
    QString caption;
    if (LangString(u"password"_s, caption))
        m_passwordBox->setTitle(u' ' + caption + u' ');
    m_passwordEdit->setFocus();
    QDialog::showEvent(event);
}

bool PasswordDialog::check(const QString& stored) {
    for (;;) {
        if (PasswordHash::matches(m_passwordEdit->text(), stored))
            return true;
        m_passwordEdit->clear();
        if (exec() != QDialog::Accepted)
            return false;
    }
}

bool AskPassword(PasswordDialog* window, const QString& stored) {
    return window && window->check(stored);
}

} // namespace zovi
