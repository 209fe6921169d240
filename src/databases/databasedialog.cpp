#include "databases/databasedialog.h"

#include "core/lang.h"
#include "core/layouts.h"
#include "core/messages.h"
#include "core/translate.h"
#include "core/wait.h"
#include "databases/databasecommands.h"
#include "databases/folderdialog.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace zovi {

DatabaseDialog::DatabaseDialog(FolderDialog* folderDialog, QWidget* parent)
    : QDialog(parent, Qt::Tool), m_folderDialog(folderDialog) {
    setObjectName(u"TfEditData"_s);
    setWindowTitle(u"Database"_s);
    setModal(true);

    m_copyGauge = Named(new QProgressBar(this), "Gauge1");
    m_copyGauge->setRange(0, 1);
    m_copyGauge->setValue(0);
    m_copyGauge->setTextVisible(false);

    m_nameBox = Named(new QGroupBox(u" Name "_s, this), "GroupBox1");
    m_nameEdit = Named(new QLineEdit(m_nameBox), "Edit1");
    (new QVBoxLayout(m_nameBox))->addWidget(m_nameEdit);

    m_passwordBox = Named(new QGroupBox(u" Password "_s, this), "GroupBox2");
    m_passwordEdit = Named(new QLineEdit(m_passwordBox), "Edit2");
    m_encryptCheck =
        Named(new QCheckBox(u"Encrypt the tables with the password"_s, m_passwordBox), "CheckBox2");
    auto* passwordLayout = new QVBoxLayout(m_passwordBox);
    passwordLayout->addWidget(m_passwordEdit);
    passwordLayout->addWidget(m_encryptCheck);

    m_routeBox = Named(new QGroupBox(u" Database route "_s, this), "GroupBox3");
    m_defaultRouteRadio = Named(new QRadioButton(u"Default"_s, m_routeBox), "RadioButton1");
    m_defaultRouteRadio->setChecked(true);
    m_otherRouteRadio = Named(new QRadioButton(u"Other"_s, m_routeBox), "RadioButton2");
    m_folderEdit = Named(new QLineEdit(m_routeBox), "Edit3");
    m_browseButton = Named(new QPushButton(u"..."_s, m_routeBox), "Button3");
    m_browseButton->setAutoDefault(false);
    m_createNewCheck = Named(new QCheckBox(u"Create new database"_s, m_routeBox), "CheckBox1");
    m_createNewCheck->setChecked(true);
    auto* route = new QGridLayout(m_routeBox);
    route->addWidget(m_defaultRouteRadio, 0, 0);
    route->addWidget(m_otherRouteRadio, 0, 1);
    route->addWidget(m_folderEdit, 1, 0, 1, 2);
    route->addWidget(m_browseButton, 1, 2);
    route->addWidget(m_createNewCheck, 2, 0, 1, 3);

    m_okButton = Named(new QPushButton(u"OK"_s, this), "Button1");
    m_okButton->setDefault(true);
    m_cancelButton = Named(new QPushButton(u"Cancel"_s, this), "Button2");
    m_cancelButton->setAutoDefault(false);

    connect(m_otherRouteRadio, &QRadioButton::toggled, this, &DatabaseDialog::applyRoute);
    connect(m_passwordEdit, &QLineEdit::textChanged, this, &DatabaseDialog::applyPassword);
    connect(m_browseButton, &QPushButton::clicked, this, &DatabaseDialog::onBrowseClicked);
    connect(m_okButton, &QPushButton::clicked, this, &DatabaseDialog::onOkClicked);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    QHBoxLayout* buttons = ButtonRow({m_okButton, m_cancelButton});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_copyGauge);
    layout->addWidget(m_nameBox);
    layout->addWidget(m_passwordBox);
    layout->addWidget(m_routeBox);
    layout->addLayout(buttons);
    setMinimumWidth(360);
}

void DatabaseDialog::setAddMode() {
    m_editMode = false;
    m_nameEdit->clear();
    m_editPassword.clear();
    m_passwordEdit->clear();
    m_encryptCheck->setChecked(false);
    m_folderEdit->clear();
    m_folderEdit->setReadOnly(false);
    m_defaultRouteRadio->setVisible(true);
    m_otherRouteRadio->setVisible(true);
    m_defaultRouteRadio->setChecked(true);
    m_createNewCheck->setChecked(true);
    m_createNewCheck->setEnabled(true);
    m_browseButton->setEnabled(true);
    applyRoute();
    applyPassword();
}

void DatabaseDialog::setEditMode(const QString& name, const QString& password,
                                 const QString& folder, bool encrypted) {
    m_editMode = true;
    m_nameEdit->setText(name);
    m_editPassword = password;
    m_passwordEdit->setText(password);
    m_encryptCheck->setChecked(encrypted && !password.isEmpty());
    m_folderEdit->setText(folder);
    m_folderEdit->setReadOnly(true);
    m_defaultRouteRadio->setVisible(false);
    m_otherRouteRadio->setVisible(false);
    m_otherRouteRadio->setChecked(true);
    m_createNewCheck->setChecked(false);
    m_createNewCheck->setEnabled(false);
    m_browseButton->setEnabled(false);
    applyRoute();
    applyPassword();
}

QString DatabaseDialog::name() const {
    return m_nameEdit->text();
}
QString DatabaseDialog::folder() const {
    return m_folderEdit->text();
}
CatalogueEntry DatabaseDialog::entry() const {
    return {name(), folder()};
}

void DatabaseDialog::showEvent(QShowEvent* event) {
    Translate(m_nameBox, u"name"_s);
    Translate(m_passwordBox, u"password"_s);
    Translate(m_routeBox, u"database route"_s);
    Translate(m_defaultRouteRadio, u"default"_s);
    Translate(m_otherRouteRadio, u"other"_s);
    Translate(m_createNewCheck, u"create new database"_s);
    Translate(m_encryptCheck, u"encrypt tables"_s);
    applyRoute();
    applyPassword();
    QDialog::showEvent(event);
    m_nameEdit->setFocus();
}

// The folder field is used, and can be chosen, only for a folder of the user's choice.
void DatabaseDialog::applyRoute() {
    const bool other = m_otherRouteRadio->isChecked();
    m_folderEdit->setEnabled(other);
    m_browseButton->setVisible(other);
}

void DatabaseDialog::applyPassword() {
    const bool hasPassword = !m_passwordEdit->text().isEmpty();
    if (!hasPassword)
        m_encryptCheck->setChecked(false);
    m_encryptCheck->setEnabled(hasPassword);
}

void DatabaseDialog::onBrowseClicked() {
    if (m_folderDialog)
        m_folderDialog->chooseInto(m_folderEdit);
}

void DatabaseDialog::addToGauge(int length) {
    m_gaugeMax += length;
    m_copyGauge->setRange(0, qMax(1, m_gaugeMax));
    m_copyGauge->setValue(qMin(m_gaugePos, m_copyGauge->maximum()));
}

void DatabaseDialog::stepGauge() {
    ++m_gaugePos;
    m_copyGauge->setValue(qMin(m_gaugePos, m_copyGauge->maximum()));
}

void DatabaseDialog::onOkClicked() {
    m_nameEdit->setText(m_nameEdit->text().trimmed());
    if (!Catalogue::canHoldName(m_nameEdit->text())) {
        Messages::error(this, LangText(u"namestar"_s,
                                       u"A database name cannot hold the character \"*\" or a "
                                       u"line break."_s));
        return;
    }
    if (m_editMode) {
        DatabaseChange change;
        change.folder = m_folderEdit->text();
        change.oldPassword = m_editPassword;
        change.newPassword = m_passwordEdit->text();
        change.encrypt = m_encryptCheck->isChecked();
        QString refusal;
        {
            const BusyCursor busy;
            refusal = ChangeDatabase(change);
        }
        if (!refusal.isEmpty()) {
            Messages::error(this, refusal);
            return;
        }
        m_editPassword = change.newPassword;
        accept();
        return;
    }
    NewDatabase request;
    request.name = m_nameEdit->text();
    request.password = m_passwordEdit->text();
    request.encrypt = m_encryptCheck->isChecked();
    request.create = m_createNewCheck->isChecked();
    request.inDatabases = m_defaultRouteRadio->isChecked();
    request.folder = m_folderEdit->text();
    const NewDatabaseOutcome outcome = AddDatabase(
        request, [this](int length) { addToGauge(length); }, [this] { stepGauge(); });
    if (!outcome.entry.folder.isEmpty() || !request.create)
        m_folderEdit->setText(outcome.entry.folder);
    if (!outcome.message.isEmpty())
        Messages::error(this, outcome.message);
    if (outcome.added)
        accept();
}

} // namespace zovi
