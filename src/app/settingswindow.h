#pragma once

// SettingsWindow: the settings window of "Accounts" > "Interface". The sections list on the left
// chooses the page shown on the right:
// "Columns": one check box per column 1..7 of the ledger grid (Date, Name, Income, Charge, Group,
// Sub-group, Account) and one for its running balance (Balance);
// "Interface": the style of the account tabs (Tabs, Buttons, Flat buttons), the control panel's
// "Flat panel" and "Flat buttons", "Alpha blend" for the windows, and the language: lang.ini and
// every translation file of the folder "lang", each by its own language name;
// "Reserv copy": the folder tree of the backup folder and "show on close";
// "Skins": the skin file with "..." to choose it and "Preview" to wear it at once;
// "Table": the first and second currency and "Fast View";
// "Stlyle": the value panel (Standart or Extended), the position of the filter tabs (Bottom or
// Top) and of the page tabs (Left or Top), and two buttons that set all three to the modern or
// the classic style.
// "Ok" (default) and "Cancel" close it. The main window creates it once, hands it the grid's
// column widths and the currency names before each showing, and applies the choice after "Ok".

#include <QDialog>
#include <QList>
#include <QMap>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace zovi {

class FolderTree;

// What "Ok" hands back: every value the window shows.
struct InterfaceChoice {
    QList<bool> columnsShown; // the ledger grid's columns 1..7, then its running balance
    int accountTabsStyle = 0; // 0 tabs, 1 buttons, 2 flat buttons
    bool transparentToolbars = false;
    bool flatButtons = false;
    bool fadeDialogs = false;
    QString backupFolder;
    bool showBackupWindow = false;
    QString skin;
    QString currency1;
    QString currency2;
    bool quickView = false;
    bool pageTabsLeft = true;
    bool filterTabsBelow = true;
    bool valuePanelCompact = true;
    QString language; // the chosen translation file ("lang.ini", "lang/ru.ini")
};

// The width each column of the grid must get so that it shows as wanted: widths holds the
// columns' widths (-1 for a hidden one), shown whether each is wanted. A hidden column that is
// wanted gets 80, a shown one that is not gets -1; the others are left out and keep theirs.
QMap<int, int> ColumnWidthChanges(const QList<int>& widths, const QList<bool>& shown);

class SettingsWindow : public QDialog {
    Q_OBJECT

public:
    explicit SettingsWindow(QWidget* parent = nullptr);

    // What the window shows besides the settings: the widths of the grid's columns 1..7 and of
    // its running balance (-1 for a hidden one) and the currency names of the database in table
    // order.
    void prepare(const QList<int>& columnWidths, const QStringList& currencies);
    InterfaceChoice choice() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* columnsPage();
    QWidget* interfacePage();
    QWidget* backupPage();
    QWidget* skinsPage();
    QWidget* tablePage();
    QWidget* stylePage();
    void translate();
    void readSettings();
    void onChooseSkinClicked();
    void onPreviewSkinClicked();
    void selectStyle(bool modern);

    QList<int> m_columnWidths;
    QStringList m_currencies;

    QListWidget* m_sections;
    QStackedWidget* m_pages;
    QList<QCheckBox*> m_columns;
    QGroupBox* m_accountsBox;
    QGroupBox* m_controlPanelBox;
    QGroupBox* m_windowsBox;
    QGroupBox* m_languageBox;
    QComboBox* m_language;
    QLabel* m_languageNote;
    QGroupBox* m_valuePanelBox;
    QGroupBox* m_filterTabsBox;
    QGroupBox* m_pageTabsBox;
    QRadioButton* m_accountTabs;
    QRadioButton* m_accountButtons;
    QRadioButton* m_accountFlatButtons;
    QCheckBox* m_flatPanel;
    QCheckBox* m_flatButtons;
    QCheckBox* m_fadeDialogs;
    FolderTree* m_backupFolder;
    QCheckBox* m_showBackupWindow;
    QLineEdit* m_skinFile;
    QPushButton* m_chooseSkinButton;
    QPushButton* m_previewSkinButton;
    QLabel* m_firstCurrencyLabel;
    QComboBox* m_firstCurrency;
    QLabel* m_secondCurrencyLabel;
    QComboBox* m_secondCurrency;
    QCheckBox* m_quickView;
    QRadioButton* m_valuePanelStandard;
    QRadioButton* m_valuePanelExtended;
    QRadioButton* m_filterTabsBottom;
    QRadioButton* m_filterTabsTop;
    QRadioButton* m_pageTabsLeft;
    QRadioButton* m_pageTabsTop;
    QPushButton* m_modernStyleButton;
    QPushButton* m_classicStyleButton;
    QPushButton* m_okButton;
    QPushButton* m_cancelButton;
};

} // namespace zovi
