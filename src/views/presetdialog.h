#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zovi {

// The name of a new preset: the name field, OK, enabled exactly while the field is not empty, and
// Cancel.
class PresetNameDialog : public QDialog {
    Q_OBJECT

public:
    explicit PresetNameDialog(QWidget* parent = nullptr);

    // Shows the dialog with an empty name; true and the name as typed after OK.
    bool ask(QString& name);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* m_nameLabel = nullptr;
    QLineEdit* m_nameEdit = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};

} // namespace zovi
