#include "app/settingswindow.h"

#include "core/lang.h"
#include "core/language.h"
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

    m_sections = Named(new QListWidget(this), "ListBox1");
    m_sections->addItems(
        {u"Columns"_s, u"Interface"_s, u"Reserv copy"_s, u"Skins"_s, u"Table"_s, u"Stlyle"_s});
    m_sections->setFixedWidth(140);
    m_pages = Named(new QStackedWidget(this), "Pages");
    for (QWidget* page :
         {columnsPage(), interfacePage(), backupPage(), skinsPage(), tablePage(), stylePage()})
        m_pages->addWidget(page);
    connect(m_sections, &QListWidget::currentRowChanged, m_pages, &QStackedWidget::setCurrentIndex);

    m_okButton = Control<QPushButton>(this, "Button1", u"Ok"_s);
    m_okButton->setDefault(true);
    m_cancelButton = Control<QPushButton>(this, "Button2", u"Cancel"_s);
    m_cancelButton->setAutoDefault(false);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* sections = new QHBoxLayout;
    sections->addWidget(m_sections);
    sections->addWidget(m_pages, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(sections, 1);
    layout->addLayout(ButtonRow({m_okButton, m_cancelButton}));
    resize(560, 400);
}

QWidget* SettingsWindow::columnsPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    int n = 0;
    for (const QString& text : {u"Date"_s, u"Name"_s, u"Income"_s, u"Charge"_s, u"Group"_s,
                                u"Sub-group"_s, u"Account"_s, u"Balance"_s}) {
        auto* box = Named(new QCheckBox(text, page), QStringLiteral("CheckBox%1").arg(++n));
        m_columns << box;
        layout->addWidget(box);
    }
    layout->addStretch();
    return page;
}

QWidget* SettingsWindow::interfacePage() {
    auto* page = new QWidget(this);
    m_accountTabs = Control<QRadioButton>(page, "RadioButton1", u"Tabs"_s);
    m_accountButtons = Control<QRadioButton>(page, "RadioButton2", u"Buttons"_s);
    m_accountFlatButtons = Control<QRadioButton>(page, "RadioButton3", u"Flat buttons"_s);
    m_accountsBox = Box(page, "GroupBox1", u" Accounts "_s,
                        {m_accountTabs, m_accountButtons, m_accountFlatButtons});
    m_flatPanel = Control<QCheckBox>(page, "CheckBox8", u"Flat panel"_s);
    m_flatButtons = Control<QCheckBox>(page, "CheckBox9", u"Flat buttons"_s);
    m_flatButtons->setChecked(true);
    m_controlPanelBox = Box(page, "GroupBox2", u" Control panel "_s, {m_flatPanel, m_flatButtons});
    m_fadeDialogs = Control<QCheckBox>(page, "CheckBox10", u"Alpha blend"_s);
    m_windowsBox = Box(page, "GroupBox3", u" Windows "_s, {m_fadeDialogs});
    m_language = Named(new QComboBox(page), "ComboBox3");
    m_languageNote = Control<QLabel>(
        page, "Label3",
        u"The main window and the windows opened from now on change at once; other texts take "
        "effect at the next start."_s);
    m_languageNote->setWordWrap(true);
    m_languageBox = Box(page, "GroupBox7", u" Language "_s, {m_language, m_languageNote});
    auto* layout = new QVBoxLayout(page);
    for (QWidget* box : {m_accountsBox, m_controlPanelBox, m_windowsBox, m_languageBox})
        layout->addWidget(box);
    layout->addStretch();
    return page;
}

QWidget* SettingsWindow::backupPage() {
    auto* page = new QWidget(this);
    m_backupFolder = Named(new FolderTree(page), "ShellTreeView1");
    m_showBackupWindow =
        Control<QCheckBox>(page, "CheckBox11", u"Show window \"Reserv copy\" on close"_s);
    m_showBackupWindow->setChecked(true);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_backupFolder, 1);
    layout->addWidget(m_showBackupWindow);
    return page;
}

QWidget* SettingsWindow::skinsPage() {
    auto* page = new QWidget(this);
    m_skinFile = Named(new QLineEdit(page), "Edit1");
    m_chooseSkinButton = Control<QPushButton>(page, "Button3", u"..."_s);
    m_previewSkinButton = Control<QPushButton>(page, "Button4", u"Preview"_s);
    for (QPushButton* button : {m_chooseSkinButton, m_previewSkinButton})
        button->setAutoDefault(false);
    connect(m_chooseSkinButton, &QPushButton::clicked, this, &SettingsWindow::onChooseSkinClicked);
    connect(m_previewSkinButton, &QPushButton::clicked, this,
            &SettingsWindow::onPreviewSkinClicked);
    auto* file = new QHBoxLayout;
    file->addWidget(m_skinFile, 1);
    file->addWidget(m_chooseSkinButton);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(file);
    layout->addLayout(ButtonRow({m_previewSkinButton}));
    layout->addStretch();
    return page;
}

QWidget* SettingsWindow::tablePage() {
    auto* page = new QWidget(this);
    m_firstCurrency = Named(new QComboBox(page), "ComboBox1");
    m_secondCurrency = Named(new QComboBox(page), "ComboBox2");
    m_quickView = Control<QCheckBox>(page, "CheckBox12", u"Fast View"_s);
    auto* layout = new QVBoxLayout(page);
    auto* lists = new QFormLayout;
    m_firstCurrencyLabel = Control<QLabel>(page, "Label1", u"First currency"_s);
    m_secondCurrencyLabel = Control<QLabel>(page, "Label2", u"Second currency"_s);
    lists->addRow(m_firstCurrencyLabel, m_firstCurrency);
    lists->addRow(m_secondCurrencyLabel, m_secondCurrency);
    layout->addLayout(lists);
    layout->addWidget(m_quickView);
    layout->addStretch();
    return page;
}

QWidget* SettingsWindow::stylePage() {
    auto* page = new QWidget(this);
    m_valuePanelStandard = Control<QRadioButton>(page, "RadioButton4", u"Standart"_s);
    m_valuePanelExtended = Control<QRadioButton>(page, "RadioButton5", u"Extended"_s);
    m_valuePanelBox =
        Box(page, "GroupBox4", u" Value panel "_s, {m_valuePanelStandard, m_valuePanelExtended});
    m_filterTabsBottom = Control<QRadioButton>(page, "RadioButton6", u"Bottom"_s);
    m_filterTabsTop = Control<QRadioButton>(page, "RadioButton7", u"Top"_s);
    m_filterTabsBox =
        Box(page, "GroupBox5", u" Filter tabs position "_s, {m_filterTabsBottom, m_filterTabsTop});
    m_pageTabsLeft = Control<QRadioButton>(page, "RadioButton8", u"Left"_s);
    m_pageTabsTop = Control<QRadioButton>(page, "RadioButton9", u"Top"_s);
    m_pageTabsBox =
        Box(page, "GroupBox6", u" Pages tabs position "_s, {m_pageTabsLeft, m_pageTabsTop});
    selectStyle(true);
    m_modernStyleButton = Control<QPushButton>(page, "Button5", u"Set as Modern style (default)"_s);
    m_classicStyleButton = Control<QPushButton>(page, "Button6", u"Set as classic style (old)"_s);
    for (QPushButton* button : {m_modernStyleButton, m_classicStyleButton})
        button->setAutoDefault(false);
    connect(m_modernStyleButton, &QPushButton::clicked, this, [this] { selectStyle(true); });
    connect(m_classicStyleButton, &QPushButton::clicked, this, [this] { selectStyle(false); });
    auto* layout = new QVBoxLayout(page);
    for (QWidget* control : {m_valuePanelBox, m_filterTabsBox, m_pageTabsBox})
        layout->addWidget(control);
    layout->addWidget(m_modernStyleButton);
    layout->addWidget(m_classicStyleButton);
    layout->addStretch();
    return page;
}

void SettingsWindow::selectStyle(bool modern) {
    (modern ? m_valuePanelStandard : m_valuePanelExtended)->setChecked(true);
    (modern ? m_filterTabsBottom : m_filterTabsTop)->setChecked(true);
    (modern ? m_pageTabsLeft : m_pageTabsTop)->setChecked(true);
}

void SettingsWindow::prepare(const QList<int>& columnWidths, const QStringList& currencies) {
    m_columnWidths = columnWidths;
    m_currencies = currencies;
}

void SettingsWindow::showEvent(QShowEvent* event) {
    m_sections->setCurrentRow(0);
    translate();
    for (int i = 0; i < m_columns.size(); ++i)
        m_columns.at(i)->setChecked(m_columnWidths.value(i, -1) >= 0);
    readSettings();
    FillCurrencies(m_firstCurrency, m_currencies, settings::displayCurrency1);
    FillCurrencies(m_secondCurrency, m_currencies, settings::displayCurrency2);
    QDialog::showEvent(event);
}

void SettingsWindow::translate() {
    using namespace translation;
    auto title = [this](const QString& t) {
        setWindowTitle(t);
    };
    auto section = [this](int row) -> TranslationTarget {
        return [this, row](const QString& t) {
            m_sections->item(row)->setText(t);
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
        {u"balance"_s, Text(m_columns.at(7))},
        {u"accounts"_s, Frame(m_accountsBox)},
        {u"tabs"_s, Text(m_accountTabs)},
        {u"buttons"_s, Text(m_accountButtons)},
        {u"flat buttons"_s, All({Text(m_accountFlatButtons), Text(m_flatButtons)})},
        {u"control panel"_s, Frame(m_controlPanelBox)},
        {u"flat panel"_s, Text(m_flatPanel)},
        {u"windows"_s, Frame(m_windowsBox)},
        {u"alphablend"_s, Text(m_fadeDialogs)},
        {u"languagebox"_s, Frame(m_languageBox)},
        {u"languagenote"_s, Text(m_languageNote)},
        {u"show on close"_s, Text(m_showBackupWindow)},
        {u"preview"_s, Text(m_previewSkinButton)},
        {u"firstcurrency"_s, Text(m_firstCurrencyLabel)},
        {u"secondcurrency"_s, Text(m_secondCurrencyLabel)},
        {u"fastview"_s, Text(m_quickView)},
        {u"value panel"_s, Frame(m_valuePanelBox)},
        {u"standart"_s, Text(m_valuePanelStandard)},
        {u"extended"_s, Text(m_valuePanelExtended)},
        {u"filter tabs position"_s, Frame(m_filterTabsBox)},
        {u"in bottom"_s, Text(m_filterTabsBottom)},
        {u"in top"_s, All({Text(m_filterTabsTop), Text(m_pageTabsTop)})},
        {u"pages tabs position"_s, Frame(m_pageTabsBox)},
        {u"in left"_s, Text(m_pageTabsLeft)},
        {u"set modern style"_s, Text(m_modernStyleButton)},
        {u"set classic style"_s, Text(m_classicStyleButton)},
        {u"ok"_s, Text(m_okButton)},
        {u"cancel"_s, Text(m_cancelButton)},
    };
    ApplyTranslations(keys);
}

void SettingsWindow::readSettings() {
    const int style = settings::accountTabsStyle.read();
    (style == 1   ? m_accountButtons
     : style == 2 ? m_accountFlatButtons
                  : m_accountTabs)
        ->setChecked(true);
    ReadFlag(m_flatPanel, settings::transparentToolbars);
    ReadFlag(m_flatButtons, settings::flatButtons);
    ReadFlag(m_fadeDialogs, settings::fadeDialogs);
    ReadFlag(m_showBackupWindow, settings::showBackupWindow);
    ReadFlag(m_quickView, settings::quickView);
    ReadChoice(m_valuePanelStandard, m_valuePanelExtended, settings::valuePanelCompact);
    ReadChoice(m_filterTabsBottom, m_filterTabsTop, settings::filterTabsBelow);
    ReadChoice(m_pageTabsLeft, m_pageTabsTop, settings::pageTabsLeft);
    const QString folder = settings::backupFolder.read();
    if (!folder.isEmpty())
        m_backupFolder->selectFolder(folder);
    m_skinFile->setText(settings::skin.read());
    m_language->clear();
    for (const Language& language : Languages())
        m_language->addItem(language.name, language.file);
    m_language->setCurrentIndex(std::max(0, m_language->findData(ChosenLangFile())));
}

void SettingsWindow::onChooseSkinClicked() {
    const QString chosen = FileChooser::openFile(
        this, QString(), settings::currentFolder.read() + u"/Skins"_s, u"Skins (*.sui)"_s);
    if (!chosen.isEmpty())
        m_skinFile->setText(chosen);
}

void SettingsWindow::onPreviewSkinClicked() {
    if (!SkinEngine::load(m_skinFile->text()))
        Messages::error(this, LangText(u"skin not loaded"_s, u"This file is not a skin:"_s) + u' ' +
                                  m_skinFile->text());
}

InterfaceChoice SettingsWindow::choice() const {
    InterfaceChoice c;
    for (const QCheckBox* box : m_columns)
        c.columnsShown << box->isChecked();
    c.accountTabsStyle = m_accountButtons->isChecked()       ? 1
                         : m_accountFlatButtons->isChecked() ? 2
                                                             : 0;
    c.transparentToolbars = m_flatPanel->isChecked();
    c.flatButtons = m_flatButtons->isChecked();
    c.fadeDialogs = m_fadeDialogs->isChecked();
    c.backupFolder = m_backupFolder->chosenFolder();
    c.showBackupWindow = m_showBackupWindow->isChecked();
    c.skin = m_skinFile->text();
    c.currency1 = m_firstCurrency->currentText();
    c.currency2 = m_secondCurrency->currentText();
    c.quickView = m_quickView->isChecked();
    c.pageTabsLeft = m_pageTabsLeft->isChecked();
    c.filterTabsBelow = m_filterTabsBottom->isChecked();
    c.valuePanelCompact = m_valuePanelStandard->isChecked();
    c.language = m_language->currentData().toString();
    return c;
}

} // namespace zovi
