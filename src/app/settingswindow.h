#pragma once

// SettingsWindow: the settings window of "Accounts" > "Interface". The sections list on the left
// chooses the page shown on the right.
// Controls: ListBox1 (the sections), Pages (the stacked pages, one per section);
// "Columns": CheckBox1..CheckBox7 (Date, Name, Income, Charge, Group, Sub-group, Account: the
// ledger grid's columns 1..7);
// "Interface": GroupBox1 (accounts) with RadioButton1..RadioButton3 (Tabs, Buttons, Flat
// buttons), GroupBox2 (control panel) with CheckBox8 (Flat panel) and CheckBox9 (Flat buttons),
// GroupBox3 (windows) with CheckBox10 (Alpha blend);
// "Reserv copy": ShellTreeView1 (the folders of the backup folder), CheckBox11 (show on close);
// "Skins": Edit1 (the skin file), Button3 ("..."), Button4 ("Preview");
// "Table": ComboBox1 and ComboBox2 (first and second currency), CheckBox12 (Fast View);
// "Stlyle": GroupBox4 (value panel) with RadioButton4 (Standart) and RadioButton5 (Extended),
// GroupBox5 (filter tabs position) with RadioButton6 (Bottom) and RadioButton7 (Top), GroupBox6
// (pages tabs position) with RadioButton8 (Left) and RadioButton9 (Top), Button5 (modern style),
// Button6 (classic style);
// Button1 ("Ok", default), Button2 ("Cancel").
// The main window creates it once, hands it the grid's column widths and the currency names
// before each showing, and applies the choice after "Ok".

#include <QDialog>
#include <QList>
#include <QMap>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace zovi {

class FolderTree;

// What "Ok" hands back: every value the window shows.
struct InterfaceChoice {
    QList<bool> columnsShown; // the ledger grid's columns 1..7
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
};

// The width each column of the grid must get so that it shows as wanted: widths holds the
// columns' widths (-1 for a hidden one), shown whether each is wanted. A hidden column that is
// wanted gets 80, a shown one that is not gets -1; the others are left out and keep theirs.
QMap<int, int> ColumnWidthChanges(const QList<int>& widths, const QList<bool>& shown);

class SettingsWindow : public QDialog {
    Q_OBJECT

public:
    explicit SettingsWindow(QWidget* parent = nullptr);

    // What the window shows besides the settings: the widths of the grid's columns 1..7 (-1 for
    // a hidden one) and the currency names of the database in table order.
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
    void Button3Click();
    void Button4Click();
    void setStyle(bool modern);

    QList<int> m_columnWidths;
    QStringList m_currencies;

    QListWidget* ListBox1;
    QStackedWidget* Pages;
    QList<QCheckBox*> m_columns;
    QGroupBox* GroupBox1;
    QGroupBox* GroupBox2;
    QGroupBox* GroupBox3;
    QGroupBox* GroupBox4;
    QGroupBox* GroupBox5;
    QGroupBox* GroupBox6;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QRadioButton* RadioButton3;
    QCheckBox* CheckBox8;
    QCheckBox* CheckBox9;
    QCheckBox* CheckBox10;
    FolderTree* ShellTreeView1;
    QCheckBox* CheckBox11;
    QLineEdit* Edit1;
    QPushButton* Button3;
    QPushButton* Button4;
    QComboBox* ComboBox1;
    QComboBox* ComboBox2;
    QCheckBox* CheckBox12;
    QRadioButton* RadioButton4;
    QRadioButton* RadioButton5;
    QRadioButton* RadioButton6;
    QRadioButton* RadioButton7;
    QRadioButton* RadioButton8;
    QRadioButton* RadioButton9;
    QPushButton* Button5;
    QPushButton* Button6;
    QPushButton* Button1;
    QPushButton* Button2;
};

} // namespace zovi
