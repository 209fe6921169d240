#pragma once

#include "reports/printtables.h"

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;
class QRadioButton;

namespace zovi {

class LedgerTables;
class ReportOptionsDialog;

// The print window ("Печать"): the standard, reduced and compact reports with their
// descriptions, in the language of the translation file. "Показать" (show), or a double click on a
// report, fills the print tables from the ledger's filtered view and runs the chosen report; the
// window stays open afterwards.
class PrintSelectWindow : public QDialog {
    Q_OBJECT

public:
    // heading gives the ledger window's filter and value panel at the moment of printing.
    PrintSelectWindow(LedgerTables& tables, std::function<PrintHeadingState()> heading,
                      QWidget* parent = nullptr);

    // Fills the print tables, asks where the chosen report goes and runs it there.
    void showChosenReport();
    // The template of the chosen report, under the program folder.
    QString templatePath() const;
    ReportOptionsDialog* optionsWindow() const { return m_options; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Sets every text of the window from the translation file, the built-in text for a missing
    // key.
    void translate();

    LedgerTables& m_data;
    std::function<PrintHeadingState()> m_heading;
    ReportOptionsDialog* m_options = nullptr;
    QRadioButton* m_standardReport = nullptr;
    QRadioButton* m_reducedReport = nullptr;
    QRadioButton* m_compactReport = nullptr;
    QLabel* m_standardNote = nullptr;
    QLabel* m_reducedNote = nullptr;
    QLabel* m_compactNote = nullptr;
    QPushButton* m_showButton = nullptr;
    QPushButton* m_closeButton = nullptr;
};

} // namespace zovi
