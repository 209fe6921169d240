#pragma once

// TDBSel2: the catalogue editor, adding, renaming and removing entries of bases.ini.
// Controls: Label1 ("Databases"), Grid1 (column 0 the display names, column 1 the folders,
// hidden), Button1 ("Add"), Button2 ("Delete"), Button3 ("Edit"), Button4 ("OK", default).

#include "databases/catalogue.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

namespace zovi {

class TfEditData;
class TfPasswordCheck;

class TDBSel2 : public QDialog {
    Q_OBJECT

public:
    TDBSel2(TfPasswordCheck* password, TfEditData* editData, QWidget* parent = nullptr);

    // The rows of the grid as catalogue entries, in order.
    QList<TDataBaseName> entries() const;

    // Every way of closing the window ends here: bases.ini is rewritten from the grid.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fillGrid(const QList<TDataBaseName>& list);
    void setRow(int row, const TDataBaseName& entry);
    QString cell(int row, int column) const;
    int currentRow() const;
    void updateButtons();
    void offerFirstEntry();
    // The password check for the database of folder: passes when it has no password or the
    // user gives it. password receives the stored password.
    bool passwordPasses(const QString& folder, QString* password);
    void AddClick();
    void DeleteClick();
    void EditClick();

    TfPasswordCheck* m_password;
    TfEditData* m_editData;
    bool m_filled = false;

    QLabel* Label1;
    QTableWidget* Grid1;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    QPushButton* Button4;
};

} // namespace zovi
