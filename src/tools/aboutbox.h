#pragma once

// AboutBox: the about box of "Help" > "About": the program's name, its version, a frame
// " Libraries " holding a read-only list of the libraries the program uses with their licences,
// and "&Ok" (default and cancel key).

#include <QDialog>
#include <QStringList>

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace zovi {

class AboutBox : public QDialog {
    Q_OBJECT

public:
    explicit AboutBox(QWidget* parent = nullptr);

    // The program's version as the build gives it ("6.0").
    static QString version();
    // One line per library the program ships with or links: its name, the version in use where
    // the library tells it, and its licence.
    static QStringList libraries();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* m_nameLabel;
    QLabel* m_versionLabel;
    QGroupBox* m_librariesBox;
    QPlainTextEdit* m_librariesText;
    QPushButton* m_okButton;
};

} // namespace zovi
