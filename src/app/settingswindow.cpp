#include "app/settingswindow.h"

#include "core/lang.h"
#include "core/layouts.h"
#include "core/messages.h"
#include "core/settings.h"
#include "core/skin.h"
#include "core/translate.h"
#include "databases/folderdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace zovi {

namespace {

// The width a column that was hidden gets when it is shown again.
constexpr int ShownColumnWidth = 80;

const QString NoCurrency = u"-/-"_s;

QGroupBox* Box(QWidget* parent, const char* name, const QString& title,
               std::initializer_list<QWidget*> controls) {
    auto* box = Named(new QGroupBox(title, parent), name);
    auto* layout = new QVBoxLayout(box);
    for (QWidget* control : controls)
        layout->addWidget(control);
    return box;
}

template <class W> W* Control(QWidget* parent, const char* name, const QString& text) {
    return Named(new W(text, parent), name);
}

// Checks box as the stored flag says; a flag not stored leaves the box as it is.
void ReadFlag(QAbstractButton* box, const Setting<bool>& flag) {
    if (flag.stored())
        box->setChecked(flag.read());
}

// Checks yes or no as the stored flag says; a flag not stored leaves both as they are.
void ReadChoice(QRadioButton* yes, QRadioButton* no, const Setting<bool>& flag) {
    if (flag.stored())
        (flag.read() ? yes : no)->setChecked(true);
}

// The currency names after "-/-", with the stored name selected ("-/-" when none matches).
void FillCurrencies(QComboBox* list, const QStringList& names, const Setting<QString>& chosen) {
    list->clear();
    list->addItem(NoCurrency);
    list->addItems(names);
    list->setCurrentIndex(std::max(0, list->findText(chosen.read(), Qt::MatchExactly)));
}

} // namespace

QMap<int, int> ColumnWidthChanges(const QList<int>& widths, const QList<bool>& shown) {
    QMap<int, int> changes;
    for (int i = 0; i < std::min(widths.size(), shown.size()); ++i) {
        const bool visible = widths.at(i) >= 0;
        if (shown.at(i) && !visible)
            changes.insert(i + 1, ShownColumnWidth);
        else if (!shown.at(i) && visible)
            changes.insert(i + 1, -1);
    }
    return changes;
}

SettingsWindow::SettingsWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(u"Tsettings"_s);
    setWindowTitle(u"Settings"_s);
    setModal(true);

    ListBox1 = Named(new QListWidget(this), "ListBox1");
    ListBox1->addItems(
        {u"Columns"_s, u"Interface"_s, u"Reserv copy"_s, u"Skins"_s, u"Table"_s, u"Stlyle"_s});
    ListBox1->setFixedWidth(140);
    Pages = Named(new QStackedWidget(this), "Pages");
    for (QWidget* page :
         {columnsPage(), interfacePage(), backupPage(), skinsPage(), tablePage(), stylePage()})
        Pages->addWidget(page);
    connect(ListBox1, &QListWidget::currentRowChanged, Pages, &QStackedWidget::setCurrentIndex);

    Button1 = Control<QPushButton>(this, "Button1", u"Ok"_s);
    Button1->setDefault(true);
    Button2 = Control<QPushButton>(this, "Button2", u"Cancel"_s);
    Button2->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    auto* sections = new QHBoxLayout;
    sections->addWidget(ListBox1);
    sections->addWidget(Pages, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(sections, 1);
    layout->addLayout(ButtonRow({Button1, Button2}));
    resize(560, 400);
}

QWidget* SettingsWindow::columnsPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    int n = 0;
    for (const QString& text : {u"Date"_s, u"Name"_s, u"Income"_s, u"Charge"_s, u"Group"_s,
                                u"Sub-group"_s, u"Account"_s}) {
        auto* box = Named(new QCheckBox(text, page), QStringLiteral("CheckBox%1").arg(++n));
        m_columns << box;
        layout->addWidget(box);
    }
    layout->addStretch();
    return page;
}

QWidget* SettingsWindow::interfacePage() {
    auto* page = new QWidget(this);
    RadioButton1 = Control<QRadioButton>(page, "RadioButton1", u"Tabs"_s);
    RadioButton2 = Control<QRadioButton>(page, "RadioButton2", u"Buttons"_s);
    RadioButton3 = Control<QRadioButton>(page, "RadioButton3", u"Flat buttons"_s);
    GroupBox1 = Box(page, "GroupBox1", u" Accounts "_s, {RadioButton1, RadioButton2, RadioButton3});
    CheckBox8 = Control<QCheckBox>(page, "CheckBox8", u"Flat panel"_s);
    CheckBox9 = Control<QCheckBox>(page, "CheckBox9", u"Flat buttons"_s);
    CheckBox9->setChecked(true);
    GroupBox2 = Box(page, "GroupBox2", u" Control panel "_s, {CheckBox8, CheckBox9});
    CheckBox10 = Control<QCheckBox>(page, "CheckBox10", u"Alpha blend"_s);
    GroupBox3 = Box(page, "GroupBox3", u" Windows "_s, {CheckBox10});
    auto* layout = new QVBoxLayout(page);
    for (QWidget* box : {GroupBox1, GroupBox2, GroupBox3})
        layout->addWidget(box);
    layout->addStretch();
    return page;
}

QWidget* SettingsWindow::backupPage() {
    auto* page = new QWidget(this);
    ShellTreeView1 = Named(new FolderTree(page), "ShellTreeView1");
    CheckBox11 = Control<QCheckBox>(page, "CheckBox11", u"Show window \"Reserv copy\" on close"_s);
    CheckBox11->setChecked(true);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(ShellTreeView1, 1);
    layout->addWidget(CheckBox11);
    return page;
}

QWidget* SettingsWindow::skinsPage() {
    auto* page = new QWidget(this);
    Edit1 = Named(new QLineEdit(page), "Edit1");
    Button3 = Control<QPushButton>(page, "Button3", u"..."_s);
    Button4 = Control<QPushButton>(page, "Button4", u"Preview"_s);
    for (QPushButton* button : {Button3, Button4})
        button->setAutoDefault(false);
    connect(Button3, &QPushButton::clicked, this, &SettingsWindow::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &SettingsWindow::Button4Click);
    auto* file = new QHBoxLayout;
    file->addWidget(Edit1, 1);
    file->addWidget(Button3);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(file);
    layout->addLayout(ButtonRow({Button4}));
    layout->addStretch();
    return page;
}

QWidget* SettingsWindow::tablePage() {
    auto* page = new QWidget(this);
    ComboBox1 = Named(new QComboBox(page), "ComboBox1");
    ComboBox2 = Named(new QComboBox(page), "ComboBox2");
    CheckBox12 = Control<QCheckBox>(page, "CheckBox12", u"Fast View"_s);
    auto* layout = new QVBoxLayout(page);
    auto* lists = new QFormLayout;
    lists->addRow(Named(new QLabel(u"First currency"_s, page), "Label1"), ComboBox1);
    lists->addRow(Named(new QLabel(u"Second currency"_s, page), "Label2"), ComboBox2);
    layout->addLayout(lists);
    layout->addWidget(CheckBox12);
    layout->addStretch();
    return page;
}

QWidget* SettingsWindow::stylePage() {
    auto* page = new QWidget(this);
    RadioButton4 = Control<QRadioButton>(page, "RadioButton4", u"Standart"_s);
    RadioButton5 = Control<QRadioButton>(page, "RadioButton5", u"Extended"_s);
    GroupBox4 = Box(page, "GroupBox4", u" Value panel "_s, {RadioButton4, RadioButton5});
    RadioButton6 = Control<QRadioButton>(page, "RadioButton6", u"Bottom"_s);
    RadioButton7 = Control<QRadioButton>(page, "RadioButton7", u"Top"_s);
    GroupBox5 = Box(page, "GroupBox5", u" Filter tabs position "_s, {RadioButton6, RadioButton7});
    RadioButton8 = Control<QRadioButton>(page, "RadioButton8", u"Left"_s);
    RadioButton9 = Control<QRadioButton>(page, "RadioButton9", u"Top"_s);
    GroupBox6 = Box(page, "GroupBox6", u" Pages tabs position "_s, {RadioButton8, RadioButton9});
    setStyle(true);
    Button5 = Control<QPushButton>(page, "Button5", u"Set as Modern style (default)"_s);
    Button6 = Control<QPushButton>(page, "Button6", u"Set as classic style (old)"_s);
    for (QPushButton* button : {Button5, Button6})
        button->setAutoDefault(false);
    connect(Button5, &QPushButton::clicked, this, [this] { setStyle(true); });
    connect(Button6, &QPushButton::clicked, this, [this] { setStyle(false); });
    auto* layout = new QVBoxLayout(page);
    for (QWidget* control : {GroupBox4, GroupBox5, GroupBox6})
        layout->addWidget(control);
    layout->addWidget(Button5);
    layout->addWidget(Button6);
    layout->addStretch();
    return page;
}

void SettingsWindow::setStyle(bool modern) {
    (modern ? RadioButton4 : RadioButton5)->setChecked(true);
    (modern ? RadioButton6 : RadioButton7)->setChecked(true);
    (modern ? RadioButton8 : RadioButton9)->setChecked(true);
}

void SettingsWindow::prepare(const QList<int>& columnWidths, const QStringList& currencies) {
    m_columnWidths = columnWidths;
    m_currencies = currencies;
}

void SettingsWindow::showEvent(QShowEvent* event) {
    ListBox1->setCurrentRow(0);
    translate();
    for (int i = 0; i < m_columns.size(); ++i)
        m_columns.at(i)->setChecked(m_columnWidths.value(i, -1) >= 0);
    readSettings();
    FillCurrencies(ComboBox1, m_currencies, settings::displayCurrency1);
    FillCurrencies(ComboBox2, m_currencies, settings::displayCurrency2);
    QDialog::showEvent(event);
}

void SettingsWindow::translate() {
    using namespace translation;
    auto title = [this](const QString& t) {
        setWindowTitle(t);
    };
    auto section = [this](int row) -> TranslationTarget {
        return [this, row](const QString& t) {
            ListBox1->item(row)->setText(t);
        };
    };
    const TranslationKeys keys = {
        {u"columns"_s, All({title, section(0)})},
        {u"interface"_s, All({title, section(1)})},
        {u"caption010"_s, section(2)},
        {u"skins"_s, section(3)},
        {u"table"_s, section(4)},
        {u"style"_s, section(5)},
        {u"date"_s, Text(m_columns.at(0))},
        {u"name"_s, Text(m_columns.at(1))},
        {u"income"_s, Text(m_columns.at(2))},
        {u"charge"_s, Text(m_columns.at(3))},
        {u"group"_s, Text(m_columns.at(4))},
        {u"sub-group"_s, Text(m_columns.at(5))},
        {u"account"_s, Text(m_columns.at(6))},
        {u"accounts"_s, Frame(GroupBox1)},
        {u"tabs"_s, Text(RadioButton1)},
        {u"buttons"_s, Text(RadioButton2)},
        {u"flat buttons"_s, All({Text(RadioButton3), Text(CheckBox9)})},
        {u"control panel"_s, Frame(GroupBox2)},
        {u"flat panel"_s, Text(CheckBox8)},
        {u"windows"_s, Frame(GroupBox3)},
        {u"alphablend"_s, Text(CheckBox10)},
        {u"show on close"_s, Text(CheckBox11)},
        {u"preview"_s, Text(Button4)},
        {u"firstcurrency"_s, Text(findChild<QLabel*>(u"Label1"_s))},
        {u"secondcurrency"_s, Text(findChild<QLabel*>(u"Label2"_s))},
        {u"fastview"_s, Text(CheckBox12)},
        {u"value panel"_s, Frame(GroupBox4)},
        {u"standart"_s, Text(RadioButton4)},
        {u"extended"_s, Text(RadioButton5)},
        {u"filter tabs position"_s, Frame(GroupBox5)},
        {u"in bottom"_s, Text(RadioButton6)},
        {u"in top"_s, All({Text(RadioButton7), Text(RadioButton9)})},
        {u"pages tabs position"_s, Frame(GroupBox6)},
        {u"in left"_s, Text(RadioButton8)},
        {u"set modern style"_s, Text(Button5)},
        {u"set classic style"_s, Text(Button6)},
    };
    ApplyTranslations(keys);
}

void SettingsWindow::readSettings() {
    const int style = settings::accountTabsStyle.read();
    (style == 1 ? RadioButton2 : style == 2 ? RadioButton3 : RadioButton1)->setChecked(true);
    ReadFlag(CheckBox8, settings::transparentToolbars);
    ReadFlag(CheckBox9, settings::flatButtons);
    ReadFlag(CheckBox10, settings::fadeDialogs);
    ReadFlag(CheckBox11, settings::showBackupWindow);
    ReadFlag(CheckBox12, settings::quickView);
    ReadChoice(RadioButton4, RadioButton5, settings::valuePanelCompact);
    ReadChoice(RadioButton6, RadioButton7, settings::filterTabsBelow);
    ReadChoice(RadioButton8, RadioButton9, settings::pageTabsLeft);
    const QString folder = settings::backupFolder.read();
    if (!folder.isEmpty())
        ShellTreeView1->selectFolder(folder);
    Edit1->setText(settings::skin.read());
}

void SettingsWindow::Button3Click() {
    const QString chosen = FileChooser::openFile(
        this, QString(), settings::currentFolder.read() + u"/Skins"_s, u"Skins (*.sui)"_s);
    if (!chosen.isEmpty())
        Edit1->setText(chosen);
}

void SettingsWindow::Button4Click() {
    if (!SkinEngine::load(Edit1->text()))
        Messages::error(this, LangText(u"skin not loaded"_s, u"This file is not a skin:"_s) + u' ' +
                                  Edit1->text());
}

InterfaceChoice SettingsWindow::choice() const {
    InterfaceChoice c;
    for (const QCheckBox* box : m_columns)
        c.columnsShown << box->isChecked();
    c.accountTabsStyle = RadioButton2->isChecked() ? 1 : RadioButton3->isChecked() ? 2 : 0;
    c.transparentToolbars = CheckBox8->isChecked();
    c.flatButtons = CheckBox9->isChecked();
    c.fadeDialogs = CheckBox10->isChecked();
    c.backupFolder = ShellTreeView1->chosenFolder();
    c.showBackupWindow = CheckBox11->isChecked();
    c.skin = Edit1->text();
    c.currency1 = ComboBox1->currentText();
    c.currency2 = ComboBox2->currentText();
    c.quickView = CheckBox12->isChecked();
    c.pageTabsLeft = RadioButton8->isChecked();
    c.filterTabsBelow = RadioButton6->isChecked();
    c.valuePanelCompact = RadioButton4->isChecked();
    return c;
}

} // namespace zovi
