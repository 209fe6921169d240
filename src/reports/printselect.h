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
// descriptions. "Показать", or a double click on a report, fills the print tables from the
// ledger's filtered view and runs the chosen report; the window stays open afterwards.
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

private:
    LedgerTables& m_data;
    std::function<PrintHeadingState()> m_heading;
    ReportOptionsDialog* m_options = nullptr;
    QRadioButton* m_standardReport = nullptr;
    QRadioButton* m_reducedReport = nullptr;
    QRadioButton* m_compactReport = nullptr;
    QPushButton* m_showButton = nullptr;
};

} // namespace zovi
