#pragma once

#include "reports/reportpages.h"

#include <QDialog>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace zovi {

// Where a report goes, as the options window collects it.
struct ReportOutput {
    enum class Destination { Preview, Printer, File };
    Destination destination = Destination::Preview;
    ReportFormat format = ReportFormat::Pdf;
    QString fileName;
    int copies = 1;
    bool collate = true;
    int duplex = 0; // 0 one-sided, 1 long edge, 2 short edge
    QString printer;
};

// The options window shown before every report ("Опции"): preview, printer or file, with the
// copies, collation, duplex and printer of a printout and the format and name of a file. It
// keeps the last choices for the next report.
class ReportOptionsDialog : public QDialog {
    Q_OBJECT

public:
    explicit ReportOptionsDialog(QWidget* parent = nullptr);

    // Shows the window; the output chosen with OK, nothing when cancelled.
    std::optional<ReportOutput> ask();
    ReportOutput output() const;

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Sets every text of the window from the translation file, the built-in text for a missing
    // key.
    void translate();
    void updateStates();
    void chooseFile();
    void formatChanged();

    QRadioButton* m_previewButton = nullptr;
    QRadioButton* m_printerButton = nullptr;
    QRadioButton* m_fileButton = nullptr;
    QComboBox* m_printerNameBox = nullptr;
    QSpinBox* m_copiesBox = nullptr;
    QCheckBox* m_collateCheck = nullptr;
    QComboBox* m_duplexBox = nullptr;
    QComboBox* m_formatBox = nullptr;
    QLineEdit* m_fileEdit = nullptr;
    QPushButton* m_chooseFileButton = nullptr;
    QLabel* m_printerLabel = nullptr;
    QLabel* m_copiesLabel = nullptr;
    QLabel* m_duplexLabel = nullptr;
    QLabel* m_formatLabel = nullptr;
    QLabel* m_fileLabel = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QString m_replaceConfirmed;
};

// The status window of a report being printed or written ("Статус"): one line with the page
// being made.
class ReportStatusDialog : public QDialog {
    Q_OBJECT

public:
    explicit ReportStatusDialog(QWidget* parent = nullptr);
    // Shows "Печатается страница %p" or "Создается страница %p" with the page number.
    void showPage(const QString& line, int page);

private:
    QLabel* m_statusLabel = nullptr;
};

// Sends the report where output says: the preview (maximised, at 100 %), the printer (job
// "Печать отчета") or a file, with the status window while pages are made. Throws ReportError
// when the printer or the file cannot be written.
void RunReport(QWidget* parent, const ReportOutput& output, const ReportTemplate& tmpl,
               const ReportContent& content);

} // namespace zovi
