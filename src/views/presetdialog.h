#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace zovi {

// The name of a new preset: the name field (Edit1), OK (Button1), enabled exactly while the
// field is not empty, and Cancel (Button2).
class PresetNameDialog : public QDialog {
    Q_OBJECT

public:
    explicit PresetNameDialog(QWidget* parent = nullptr);

    // Shows the dialog with an empty name; true and the name as typed after OK.
    bool ask(QString& name);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr;
};

} // namespace zovi
