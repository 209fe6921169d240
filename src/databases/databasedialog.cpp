#include "databases/databasedialog.h"

#include "core/lang.h"
#include "core/layouts.h"
#include "core/messages.h"
#include "core/translate.h"
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

DatabaseDialog::DatabaseDialog(FolderDialog* chooser, QWidget* parent)
    : QDialog(parent, Qt::Tool), m_chooser(chooser) {
    setObjectName(u"TfEditData"_s);
    setWindowTitle(u"Database"_s);
    setModal(true);

    Gauge1 = new QProgressBar(this);
    Gauge1->setObjectName(u"Gauge1"_s);
    Gauge1->setRange(0, 1);
    Gauge1->setValue(0);
    Gauge1->setTextVisible(false);

    GroupBox1 = new QGroupBox(u" Name "_s, this);
    GroupBox1->setObjectName(u"GroupBox1"_s);
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setObjectName(u"Edit1"_s);
    (new QVBoxLayout(GroupBox1))->addWidget(Edit1);

    GroupBox2 = new QGroupBox(u" Password "_s, this);
    GroupBox2->setObjectName(u"GroupBox2"_s);
    Edit2 = new QLineEdit(GroupBox2);
    Edit2->setObjectName(u"Edit2"_s);
    (new QVBoxLayout(GroupBox2))->addWidget(Edit2);

    GroupBox3 = new QGroupBox(u" Database route "_s, this);
    GroupBox3->setObjectName(u"GroupBox3"_s);
    RadioButton1 = new QRadioButton(u"Default"_s, GroupBox3);
    RadioButton1->setObjectName(u"RadioButton1"_s);
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton(u"Other"_s, GroupBox3);
    RadioButton2->setObjectName(u"RadioButton2"_s);
    Edit3 = new QLineEdit(GroupBox3);
    Edit3->setObjectName(u"Edit3"_s);
    Button3 = new QPushButton(u"..."_s, GroupBox3);
    Button3->setObjectName(u"Button3"_s);
    Button3->setAutoDefault(false);
    CheckBox1 = new QCheckBox(u"Create new database"_s, GroupBox3);
    CheckBox1->setObjectName(u"CheckBox1"_s);
    CheckBox1->setChecked(true);
    auto* route = new QGridLayout(GroupBox3);
    route->addWidget(RadioButton1, 0, 0);
    route->addWidget(RadioButton2, 0, 1);
    route->addWidget(Edit3, 1, 0, 1, 2);
    route->addWidget(Button3, 1, 2);
    route->addWidget(CheckBox1, 2, 0, 1, 3);

    Button1 = new QPushButton(u"OK"_s, this);
    Button1->setObjectName(u"Button1"_s);
    Button1->setDefault(true);
    Button2 = new QPushButton(u"Cancel"_s, this);
    Button2->setObjectName(u"Button2"_s);
    Button2->setAutoDefault(false);

    connect(RadioButton2, &QRadioButton::toggled, this, &DatabaseDialog::applyRoute);
    connect(Button3, &QPushButton::clicked, this, &DatabaseDialog::chooseFolder);
    connect(Button1, &QPushButton::clicked, this, &DatabaseDialog::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    QHBoxLayout* buttons = ButtonRow({Button1, Button2});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Gauge1);
    layout->addWidget(GroupBox1);
    layout->addWidget(GroupBox2);
    layout->addWidget(GroupBox3);
    layout->addLayout(buttons);
    setMinimumWidth(360);
}

void DatabaseDialog::setAddMode() {
    m_editMode = false;
    Edit1->clear();
    Edit2->clear();
    Edit3->clear();
    Edit3->setReadOnly(false);
    RadioButton1->setVisible(true);
    RadioButton2->setVisible(true);
    RadioButton1->setChecked(true);
    CheckBox1->setChecked(true);
    CheckBox1->setEnabled(true);
    Button3->setEnabled(true);
    applyRoute();
}

void DatabaseDialog::setEditMode(const QString& name, const QString& password, const QString& folder) {
    m_editMode = true;
    Edit1->setText(name);
    Edit2->setText(password);
    Edit3->setText(folder);
    Edit3->setReadOnly(true);
    RadioButton1->setVisible(false);
    RadioButton2->setVisible(false);
    RadioButton2->setChecked(true);
    CheckBox1->setChecked(false);
    CheckBox1->setEnabled(false);
    Button3->setEnabled(false);
    applyRoute();
}

QString DatabaseDialog::name() const {
    return Edit1->text();
}
QString DatabaseDialog::folder() const {
    return Edit3->text();
}
CatalogueEntry DatabaseDialog::entry() const {
    return {name(), folder()};
}

void DatabaseDialog::showEvent(QShowEvent* event) {
    Translate(GroupBox1, u"name"_s);
    Translate(GroupBox2, u"password"_s);
    Translate(GroupBox3, u"database route"_s);
    Translate(RadioButton1, u"default"_s);
    Translate(RadioButton2, u"other"_s);
    Translate(CheckBox1, u"create new database"_s);
    applyRoute();
    QDialog::showEvent(event);
    Edit1->setFocus();
}

// The folder field is used, and can be chosen, only for a folder of the user's choice.
void DatabaseDialog::applyRoute() {
    const bool other = RadioButton2->isChecked();
    Edit3->setEnabled(other);
    Button3->setVisible(other);
}

void DatabaseDialog::chooseFolder() {
    if (m_chooser)
        m_chooser->chooseInto(Edit3);
}

void DatabaseDialog::addToGauge(int length) {
    m_gaugeMax += length;
    Gauge1->setRange(0, qMax(1, m_gaugeMax));
    Gauge1->setValue(qMin(m_gaugePos, Gauge1->maximum()));
}

void DatabaseDialog::stepGauge() {
    ++m_gaugePos;
    Gauge1->setValue(qMin(m_gaugePos, Gauge1->maximum()));
}

void DatabaseDialog::Button1Click() {
    Edit1->setText(Edit1->text().trimmed());
    if (!Catalogue::canHoldName(Edit1->text())) {
        Messages::error(this, LangText(u"namestar"_s,
                                       u"A database name cannot hold the character \"*\" or a "
                                       u"line break."_s));
        return;
    }
    if (m_editMode) {
        accept();
        return;
    }
    NewDatabase request;
    request.name = Edit1->text();
    request.password = Edit2->text();
    request.create = CheckBox1->isChecked();
    request.inDatabases = RadioButton1->isChecked();
    request.folder = Edit3->text();
    const NewDatabaseOutcome outcome = AddDatabase(
        request, [this](int length) { addToGauge(length); }, [this] { stepGauge(); });
    if (!outcome.entry.folder.isEmpty() || !request.create)
        Edit3->setText(outcome.entry.folder);
    if (!outcome.message.isEmpty())
        Messages::error(this, outcome.message);
    if (outcome.added)
        accept();
}

} // namespace zovi
