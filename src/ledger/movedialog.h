#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace zovi {

class LedgerTables;

// The small borderless window that assigns the current entry to another account: the accounts
// in table order followed by "[...]", the first one chosen when it is shown.
class MoveDialog : public QDialog {
    Q_OBJECT

public:
    explicit MoveDialog(LedgerTables& data, QWidget* parent = nullptr);

    // The chosen account name or "[...]".
    QString account() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    LedgerTables& m_data;
    QLabel* m_promptLabel;
    QComboBox* m_accountBox;
    QPushButton* m_okButton;
    QPushButton* m_cancelButton;
};

} // namespace zovi
