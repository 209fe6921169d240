#include "reports/reportoptions.h"

#include "core/lang.h"
#include "core/messages.h"
#include "core/wait.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGraphicsView>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace zovi {

namespace {

struct FormatInfo {
    ReportFormat format;
    const char* suffix;
};

constexpr FormatInfo kFormats[] = {
    {ReportFormat::Pdf, "pdf"},
    {ReportFormat::Rtf, "rtf"},
    {ReportFormat::Text, "txt"},
};

// The name of a format in the format list and the file dialog's filter.
QString FormatLabel(ReportFormat format) {
    switch (format) {
    case ReportFormat::Pdf:
        return QStringLiteral("PDF (*.pdf)");
    case ReportFormat::Rtf:
        return QStringLiteral("RTF (*.rtf)");
    case ReportFormat::Text:
        break;
    }
    return LangText(QStringLiteral("reportTextFormat"), QStringLiteral("Текст (*.txt)"));
}

} // namespace

ReportOptionsDialog::ReportOptionsDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TReportOptions"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    m_previewButton = new QRadioButton(this);
    m_previewButton->setObjectName(QStringLiteral("RadioPreview"));
    m_printerButton = new QRadioButton(this);
    m_printerButton->setObjectName(QStringLiteral("RadioPrinter"));
    m_fileButton = new QRadioButton(this);
    m_fileButton->setObjectName(QStringLiteral("RadioFile"));
    m_previewButton->setChecked(true);
    layout->addWidget(m_previewButton);
    layout->addWidget(m_printerButton);

    auto* printerBox = new QGroupBox(this);
    auto* printerForm = new QFormLayout(printerBox);
    m_printerNameBox = new QComboBox(printerBox);
    m_printerNameBox->setObjectName(QStringLiteral("ComboPrinter"));
    const QStringList printers = QPrinterInfo::availablePrinterNames();
    m_printerNameBox->addItems(printers);
    const QString defaultPrinter = QPrinterInfo::defaultPrinterName();
    if (!defaultPrinter.isEmpty())
        m_printerNameBox->setCurrentText(defaultPrinter);
    m_copiesBox = new QSpinBox(printerBox);
    m_copiesBox->setObjectName(QStringLiteral("SpinCopies"));
    m_copiesBox->setRange(1, 999);
    m_collateCheck = new QCheckBox(printerBox);
    m_collateCheck->setObjectName(QStringLiteral("CheckCollate"));
    m_collateCheck->setChecked(true);
    m_duplexBox = new QComboBox(printerBox);
    m_duplexBox->setObjectName(QStringLiteral("ComboDuplex"));
    m_duplexBox->addItems({QString(), QString(), QString()});
    m_printerLabel = new QLabel(printerBox);
    m_copiesLabel = new QLabel(printerBox);
    m_duplexLabel = new QLabel(printerBox);
    printerForm->addRow(m_printerLabel, m_printerNameBox);
    printerForm->addRow(m_copiesLabel, m_copiesBox);
    printerForm->addRow(QString(), m_collateCheck);
    printerForm->addRow(m_duplexLabel, m_duplexBox);
    layout->addWidget(printerBox);
    m_printerButton->setEnabled(!printers.isEmpty());

    layout->addWidget(m_fileButton);
    auto* fileBox = new QGroupBox(this);
    auto* fileForm = new QFormLayout(fileBox);
    m_formatBox = new QComboBox(fileBox);
    m_formatBox->setObjectName(QStringLiteral("ComboFormat"));
    for (const FormatInfo& f : kFormats)
        m_formatBox->addItem(FormatLabel(f.format));
    m_fileEdit = new QLineEdit(QDir::home().filePath(QStringLiteral("report.pdf")), fileBox);
    m_fileEdit->setObjectName(QStringLiteral("EditFile"));
    m_fileEdit->setMinimumWidth(fontMetrics().averageCharWidth() * 40);
    m_chooseFileButton = new QPushButton(QStringLiteral("..."), fileBox);
    m_chooseFileButton->setObjectName(QStringLiteral("ButtonFile"));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_fileEdit, 1);
    fileRow->addWidget(m_chooseFileButton);
    m_formatLabel = new QLabel(fileBox);
    m_fileLabel = new QLabel(fileBox);
    fileForm->addRow(m_formatLabel, m_formatBox);
    fileForm->addRow(m_fileLabel, fileRow);
    layout->addWidget(fileBox);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_okButton = buttons->button(QDialogButtonBox::Ok);
    m_okButton->setObjectName(QStringLiteral("ButtonOK"));
    m_cancelButton = buttons->button(QDialogButtonBox::Cancel);
    m_cancelButton->setObjectName(QStringLiteral("ButtonCancel"));
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &ReportOptionsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ReportOptionsDialog::reject);
    for (QRadioButton* radio : {m_previewButton, m_printerButton, m_fileButton})
        connect(radio, &QRadioButton::toggled, this, &ReportOptionsDialog::updateStates);
    connect(m_formatBox, &QComboBox::currentIndexChanged, this,
            &ReportOptionsDialog::formatChanged);
    connect(m_chooseFileButton, &QPushButton::clicked, this, &ReportOptionsDialog::chooseFile);
    translate();
    updateStates();
}

void ReportOptionsDialog::translate() {
    setWindowTitle(LangText(QStringLiteral("reportOptions"), QStringLiteral("Опции")));
    m_previewButton->setText(
        LangText(QStringLiteral("reportPreview"), QStringLiteral("&Просмотр")));
    m_printerButton->setText(
        m_printerNameBox->count() > 0
            ? LangText(QStringLiteral("reportPrinter"), QStringLiteral("П&ринтер"))
            : LangText(QStringLiteral("reportNoPrinter"),
                       QStringLiteral("П&ринтер (нет установленных принтеров)")));
    m_fileButton->setText(LangText(QStringLiteral("reportFile"), QStringLiteral("&Файл")));
    m_printerLabel->setText(
        LangText(QStringLiteral("reportPrinterName"), QStringLiteral("Принтер:")));
    m_copiesLabel->setText(LangText(QStringLiteral("reportCopies"), QStringLiteral("Копии:")));
    m_collateCheck->setText(
        LangText(QStringLiteral("reportCollate"), QStringLiteral("Разобрать по копиям")));
    m_duplexLabel->setText(
        LangText(QStringLiteral("reportDuplex"), QStringLiteral("Двусторонняя печать:")));
    m_duplexBox->setItemText(0,
                             LangText(QStringLiteral("reportDuplexNone"), QStringLiteral("Нет")));
    m_duplexBox->setItemText(
        1, LangText(QStringLiteral("reportDuplexLong"), QStringLiteral("По длинному краю")));
    m_duplexBox->setItemText(
        2, LangText(QStringLiteral("reportDuplexShort"), QStringLiteral("По короткому краю")));
    m_formatLabel->setText(LangText(QStringLiteral("reportFormat"), QStringLiteral("Формат:")));
    m_fileLabel->setText(LangText(QStringLiteral("reportFileName"), QStringLiteral("Файл:")));
    for (int i = 0; i < m_formatBox->count(); ++i)
        m_formatBox->setItemText(i, FormatLabel(kFormats[i].format));
    m_okButton->setText(LangText(QStringLiteral("ok"), QStringLiteral("ОК")));
    m_cancelButton->setText(LangText(QStringLiteral("cancel"), QStringLiteral("Отмена")));
}

void ReportOptionsDialog::showEvent(QShowEvent* event) {
    // The window is made once and shown before every report: an edited translation file counts
    // at the next showing.
    if (!event->spontaneous())
        translate();
    QDialog::showEvent(event);
}

void ReportOptionsDialog::updateStates() {
    const bool printer = m_printerButton->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(m_printerNameBox), static_cast<QWidget*>(m_copiesBox),
                       static_cast<QWidget*>(m_collateCheck), static_cast<QWidget*>(m_duplexBox)})
        w->setEnabled(printer);
    const bool file = m_fileButton->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(m_formatBox), static_cast<QWidget*>(m_fileEdit),
                       static_cast<QWidget*>(m_chooseFileButton)})
        w->setEnabled(file);
}

void ReportOptionsDialog::formatChanged() {
    // The file name follows the format: its suffix becomes the format's.
    const int index = std::max(0, m_formatBox->currentIndex());
    const QString name = m_fileEdit->text().trimmed();
    if (name.isEmpty())
        return;
    const QFileInfo info(name);
    const QString suffix = QString::fromLatin1(kFormats[index].suffix);
    bool known = false;
    for (const FormatInfo& f : kFormats)
        known =
            known || info.suffix().compare(QString::fromLatin1(f.suffix), Qt::CaseInsensitive) == 0;
    const QString base = known ? name.left(name.size() - info.suffix().size() - 1) : name;
    m_fileEdit->setText(base + QLatin1Char('.') + suffix);
}

void ReportOptionsDialog::chooseFile() {
    const int index = std::max(0, m_formatBox->currentIndex());
    const QString chosen = FileChooser::saveFile(
        this, LangText(QStringLiteral("reportFileTitle"), QStringLiteral("Файл отчета")),
        QFileInfo(m_fileEdit->text()).absolutePath(), FormatLabel(kFormats[index].format));
    if (!chosen.isEmpty()) {
        // The file dialog has asked already whether an existing file may be replaced.
        m_fileEdit->setText(chosen);
        m_replaceConfirmed = chosen;
    }
}

ReportOutput ReportOptionsDialog::output() const {
    ReportOutput out;
    out.destination = m_printerButton->isChecked() ? ReportOutput::Destination::Printer
                      : m_fileButton->isChecked()  ? ReportOutput::Destination::File
                                                   : ReportOutput::Destination::Preview;
    out.format = kFormats[std::max(0, m_formatBox->currentIndex())].format;
    out.fileName = m_fileEdit->text().trimmed();
    out.copies = m_copiesBox->value();
    out.collate = m_collateCheck->isChecked();
    out.duplex = m_duplexBox->currentIndex();
    out.printer = m_printerNameBox->currentText();
    return out;
}

void ReportOptionsDialog::accept() {
    if (m_fileButton->isChecked()) {
        const QString name = m_fileEdit->text().trimmed();
        if (name.isEmpty()) {
            Messages::error(this, LangText(QStringLiteral("reportNoFile"),
                                           QStringLiteral("Choose the file for the report.")));
            return;
        }
        const QFileInfo info(name);
        if (!info.absoluteDir().exists()) {
            Messages::error(this, LangText(QStringLiteral("reportNoFolder"),
                                           QStringLiteral("The folder %1 does not exist."))
                                      .arg(QDir::toNativeSeparators(info.absolutePath())));
            return;
        }
        if (info.isDir()) {
            Messages::error(this, LangText(QStringLiteral("reportNoFile"),
                                           QStringLiteral("Choose the file for the report.")));
            return;
        }
        if (info.exists() && name != m_replaceConfirmed &&
            !Messages::confirm(this, LangText(QStringLiteral("reportReplace"),
                                              QStringLiteral("The file %1 exists. Replace it?"))
                                         .arg(QDir::toNativeSeparators(info.absoluteFilePath())))) {
            return;
        }
    }
    QDialog::accept();
}

std::optional<ReportOutput> ReportOptionsDialog::ask() {
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return output();
}

ReportStatusDialog::ReportStatusDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TReportStatus"));
    setWindowTitle(LangText(QStringLiteral("reportStatus"), QStringLiteral("Статус")));
    auto* layout = new QVBoxLayout(this);
    m_statusLabel = new QLabel(this);
    m_statusLabel->setObjectName(QStringLiteral("LabelStatus"));
    m_statusLabel->setMinimumWidth(fontMetrics().averageCharWidth() * 32);
    layout->addWidget(m_statusLabel);
}

void ReportStatusDialog::showPage(const QString& line, int page) {
    m_statusLabel->setText(QString(line).replace(QLatin1String("%p"), QString::number(page)));
    if (!isVisible())
        show();
    // The window is repainted between pages; the user's input waits until the report is done.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

namespace {

class PreviewStart : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type == QEvent::Show || type == QEvent::WindowStateChange) {
            auto* preview = watched->findChild<QPrintPreviewWidget*>();
            auto* view = preview ? preview->findChild<QGraphicsView*>() : nullptr;
            auto* zoom = watched->findChild<QComboBox*>();
            if (view && zoom) {
                QTimer::singleShot(0, view, [preview, view, zoom] {
                    preview->setZoomMode(QPrintPreviewWidget::CustomZoom);
                    // The zoom is chosen in the window's own zoom box, so that the box shows it
                    // and the fit buttons are no longer chosen; setting the zoom on the preview
                    // alone leaves the box at the zoom of the first fit.
                    const int hundred = zoom->findText(QStringLiteral("100%"));
                    if (hundred >= 0) {
                        zoom->setCurrentIndex(-1);
                        zoom->setCurrentIndex(hundred);
                    }
                    preview->setZoomFactor(1.0);
                    view->verticalScrollBar()->setValue(view->verticalScrollBar()->minimum());
                });
            }
        }
        return false;
    }
};

// The name of a printout in the printer's queue.
QString ReportJobName() {
    return LangText(QStringLiteral("reportJob"), QStringLiteral("Печать отчета"));
}

void Preview(QWidget* parent, const ReportTemplate& tmpl, const ReportContent& content) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(ReportJobName());
    printer.setPageSize(QPageSize(QPageSize::A4));
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("ReportPreview"));
    dialog.setWindowTitle(LangText(QStringLiteral("reportTitle"), QStringLiteral("Отчет")));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&](QPrinter* target) { PaintReport(*target, tmpl, content); });
    // 100 % from the top of the first page. The preview fits the width when it is first shown
    // and keeps the middle of the page in view when the window manager maximises it, so the
    // zoom and the position are set again after each of those.
    PreviewStart start;
    dialog.installEventFilter(&start);
    dialog.setWindowState(Qt::WindowMaximized);
    dialog.exec();
}

} // namespace

void RunReport(QWidget* parent, const ReportOutput& output, const ReportTemplate& tmpl,
               const ReportContent& content) {
    if (output.destination == ReportOutput::Destination::Preview) {
        Preview(parent, tmpl, content);
        return;
    }
    BusyCursor busy;
    ReportStatusDialog status(parent);
    if (output.destination == ReportOutput::Destination::File) {
        WriteReportFile(output.format, output.fileName, tmpl, content, [&](int page) {
            status.showPage(
                LangText(QStringLiteral("reportMaking"), QStringLiteral("Создается страница %p")),
                page);
        });
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(output.printer);
    printer.setDocName(ReportJobName());
    printer.setCopyCount(output.copies);
    printer.setCollateCopies(output.collate);
    printer.setDuplex(output.duplex == 1   ? QPrinter::DuplexLongSide
                      : output.duplex == 2 ? QPrinter::DuplexShortSide
                                           : QPrinter::DuplexNone);
    const bool printed = PaintReport(printer, tmpl, content, [&](int page) {
        status.showPage(
            LangText(QStringLiteral("reportPrinting"), QStringLiteral("Печатается страница %p")),
            page);
    });
    if (!printed) {
        throw ReportError(LangText(QStringLiteral("reportPrinterFailed"),
                                   QStringLiteral("The printer %1 cannot be started."))
                              .arg(output.printer));
    }
}

} // namespace zovi
