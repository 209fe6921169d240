#pragma once

// TDBSelLite: the start-up chooser; the user picks a database of the catalogue, gives its
// password, and the chooser opens it into the table handles (see OpenChosenDatabase).
// Controls: Image1 (the picture of welcome.bmp), Label1 ("Databases:"), listdata (the display
// names), Button1 ("OK", default), Label2 (the link "Database Editor").

#include "databases/catalogue.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace zovi {

class TCDdata;
class TDBSel2;
class Tdata;
class TfPasswordCheck;
class Twait;

class TDBSelLite : public QDialog {
    Q_OBJECT

public:
    TDBSelLite(Tdata& data, TCDdata& cd, TfPasswordCheck* password, TDBSel2* editor, Twait* wait,
               QWidget* parent = nullptr);

    // Reads the catalogue (made with its default lines when missing) into listdata and selects
    // the first entry; "OK" is enabled exactly when there is an entry.
    void ReDataList();
    // The folder of the database opened by "OK", ending with "/"; empty before that.
    QString openedFolder() const { return m_openedFolder; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Button1Click();
    void openEditor();
    void refuse(const QString& message, bool withBeep);

    Tdata& m_data;
    TCDdata& m_cd;
    TfPasswordCheck* m_password;
    TDBSel2* m_editor;
    Twait* m_wait;
    QList<TDataBaseName> m_entries;
    QString m_openedFolder;

    QLabel* Image1;
    QLabel* Label1;
    QComboBox* listdata;
    QPushButton* Button1;
    QLabel* Label2;
};

} // namespace zovi
