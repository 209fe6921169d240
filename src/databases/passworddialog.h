#pragma once

// PasswordDialog: the small window that asks for the password of a database.

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPushButton;

namespace zovi {

class PasswordDialog : public QDialog {
    Q_OBJECT

public:
    explicit PasswordDialog(QWidget* parent = nullptr);

    // The password check against the stored password (see PasswordHash::matches): passes at
    // once when the field already holds that password (a password typed earlier in the run is
    // remembered); otherwise the window is shown with an empty field until the typed text
    // matches exactly (letter case counts) or the user cancels, which fails the check.
    bool check(const QString& stored);

    QLineEdit* passwordField() const { return m_passwordEdit; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QGroupBox* m_passwordBox;    // " Password "
    QLineEdit* m_passwordEdit;   // the masked password field
    QPushButton* m_okButton;     // "OK", default
    QPushButton* m_cancelButton; // "Cancel"
};

// The password check of window for a stored password; fails when there is no window to ask.
bool AskPassword(PasswordDialog* window, const QString& stored);

} // namespace zovi
