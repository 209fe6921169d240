#pragma once

#include "imports/importstore.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;
class QTimer;

namespace zovi {

class CsvSettingsBox;
class LedgerTables;

// The kinds of files the import reads.
enum class ImportKind { Csv, Qif, Ofx };

// ImportFileWindow: the window of Additional > Import for a CSV, QIF or OFX file. The user
// picks the account the entries go to (the one shown, any other, or a new one), sees the first
// entries exactly as they will be stored, how many will be imported, how many were already there
// and which lines cannot be read, and presses "Import". A CSV file also shows its format and the
// role of each column, which the user may change; the preview follows at once.
class ImportFileWindow : public QDialog {
    Q_OBJECT

public:
    // The most entries the preview shows.
    static constexpr int kPreviewRows = 200;

    ImportFileWindow(LedgerTables& tables, ImportKind kind, const QString& path,
                     const QString& shownAccount, QWidget* parent = nullptr);

    // Reads the file. False, after the error was shown, when it cannot be read or is not a file
    // of the window's kind; the window is then not to be shown.
    bool load();

    // The number of entries the last import stored.
    int stored() const { return m_stored; }

private:
    void fillAccounts(const QString& shownAccount);
    QString chosenAccount() const;
    void rebuild();
    void showPlan();
    void onImportClicked();

    LedgerTables& m_data;
    ImportKind m_kind;
    QString m_path;
    ImportedFile m_file; // QIF and OFX: read once
    ImportPlan m_plan;
    QString m_problem; // why the file gives no entries as it is read now (a CSV mapping)
    int m_stored = 0;

    QComboBox* m_accountBox;
    QLineEdit* m_newAccountEdit;
    CsvSettingsBox* m_csvBox = nullptr;
    QTableWidget* m_preview;
    QLabel* m_countLabel;
    QListWidget* m_unreadList;
    QPushButton* m_importButton;
    QPushButton* m_cancelButton;
    QTimer* m_rebuildTimer;
};

} // namespace zovi
