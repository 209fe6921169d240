#pragma once

#include "databases/oldtables.h"

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace zovi {

class LedgerTables;
class DebtTables;
class FolderDialog;

// ImportWindow: the window of Additional > Import: the folder of an old database, chosen
// with the folder browser, and "OK", which imports it into the open database whole or not at
// all. It closes (accepted) after a finished import; the caller then shows the new data.
class ImportWindow : public QDialog {
    Q_OBJECT

public:
    ImportWindow(LedgerTables& tables, DebtTables& cd, FolderDialog* folderDialog,
                 QWidget* parent = nullptr);

    // The reader of Paradox tables the import uses (tests point it elsewhere).
    void setReader(const ParadoxReader& reader) { m_reader = reader; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void onBrowseClicked();
    void onOkClicked();

    LedgerTables& m_data;
    DebtTables& m_cd;
    FolderDialog* m_folderDialog;
    ParadoxReader m_reader;

    QGroupBox* m_folderBox;
    QLineEdit* m_folderEdit;
    QPushButton* m_browseButton;
    QProgressBar* m_importGauge;
    QPushButton* m_okButton;
};

} // namespace zovi
