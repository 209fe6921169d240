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
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace zovi {

namespace {

struct FormatInfo {
    ReportFormat format;
    const char* label;
    const char* suffix;
};

constexpr FormatInfo kFormats[] = {
    {ReportFormat::Pdf, "PDF (*.pdf)", "pdf"},
    {ReportFormat::Rtf, "RTF (*.rtf)", "rtf"},
    {ReportFormat::Text, "Текст (*.txt)", "txt"},
};

} // namespace

ReportOptionsDialog::ReportOptionsDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TReportOptions"));
    setWindowTitle(QStringLiteral("Опции"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    RadioPreview = new QRadioButton(QStringLiteral("&Просмотр"), this);
    RadioPreview->setObjectName(QStringLiteral("RadioPreview"));
    RadioPrinter = new QRadioButton(QStringLiteral("П&ринтер"), this);
    RadioPrinter->setObjectName(QStringLiteral("RadioPrinter"));
    RadioFile = new QRadioButton(QStringLiteral("&Файл"), this);
    RadioFile->setObjectName(QStringLiteral("RadioFile"));
    RadioPreview->setChecked(true);
    layout->addWidget(RadioPreview);
    layout->addWidget(RadioPrinter);

    auto* printerBox = new QGroupBox(this);
    auto* printerForm = new QFormLayout(printerBox);
    ComboPrinter = new QComboBox(printerBox);
    ComboPrinter->setObjectName(QStringLiteral("ComboPrinter"));
    const QStringList printers = QPrinterInfo::availablePrinterNames();
    ComboPrinter->addItems(printers);
    const QString defaultPrinter = QPrinterInfo::defaultPrinterName();
    if (!defaultPrinter.isEmpty())
        ComboPrinter->setCurrentText(defaultPrinter);
    SpinCopies = new QSpinBox(printerBox);
    SpinCopies->setObjectName(QStringLiteral("SpinCopies"));
    SpinCopies->setRange(1, 999);
    CheckCollate = new QCheckBox(QStringLiteral("Разобрать по копиям"), printerBox);
    CheckCollate->setObjectName(QStringLiteral("CheckCollate"));
    CheckCollate->setChecked(true);
    ComboDuplex = new QComboBox(printerBox);
    ComboDuplex->setObjectName(QStringLiteral("ComboDuplex"));
    ComboDuplex->addItems({QStringLiteral("Нет"), QStringLiteral("По длинному краю"),
                           QStringLiteral("По короткому краю")});
    printerForm->addRow(QStringLiteral("Принтер:"), ComboPrinter);
    printerForm->addRow(QStringLiteral("Копии:"), SpinCopies);
    printerForm->addRow(QString(), CheckCollate);
    printerForm->addRow(QStringLiteral("Двусторонняя печать:"), ComboDuplex);
    layout->addWidget(printerBox);
    if (printers.isEmpty()) {
        RadioPrinter->setEnabled(false);
        RadioPrinter->setText(QStringLiteral("П&ринтер (нет установленных принтеров)"));
    }

    layout->addWidget(RadioFile);
    auto* fileBox = new QGroupBox(this);
    auto* fileForm = new QFormLayout(fileBox);
    ComboFormat = new QComboBox(fileBox);
    ComboFormat->setObjectName(QStringLiteral("ComboFormat"));
    for (const FormatInfo& f : kFormats)
        ComboFormat->addItem(QString::fromUtf8(f.label));
    EditFile = new QLineEdit(QDir::home().filePath(QStringLiteral("report.pdf")), fileBox);
    EditFile->setObjectName(QStringLiteral("EditFile"));
    EditFile->setMinimumWidth(fontMetrics().averageCharWidth() * 40);
    ButtonFile = new QPushButton(QStringLiteral("..."), fileBox);
    ButtonFile->setObjectName(QStringLiteral("ButtonFile"));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(EditFile, 1);
    fileRow->addWidget(ButtonFile);
    fileForm->addRow(QStringLiteral("Формат:"), ComboFormat);
    fileForm->addRow(QStringLiteral("Файл:"), fileRow);
    layout->addWidget(fileBox);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ButtonOK"));
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("ОК"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("ButtonCancel"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &ReportOptionsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ReportOptionsDialog::reject);
    for (QRadioButton* radio : {RadioPreview, RadioPrinter, RadioFile})
        connect(radio, &QRadioButton::toggled, this, &ReportOptionsDialog::updateStates);
    connect(ComboFormat, &QComboBox::currentIndexChanged, this, &ReportOptionsDialog::formatChanged);
    connect(ButtonFile, &QPushButton::clicked, this, &ReportOptionsDialog::chooseFile);
    updateStates();
}

void ReportOptionsDialog::updateStates() {
    const bool printer = RadioPrinter->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(ComboPrinter), static_cast<QWidget*>(SpinCopies),
                       static_cast<QWidget*>(CheckCollate), static_cast<QWidget*>(ComboDuplex)})
        w->setEnabled(printer);
    const bool file = RadioFile->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(ComboFormat), static_cast<QWidget*>(EditFile),
                       static_cast<QWidget*>(ButtonFile)})
        w->setEnabled(file);
}

void ReportOptionsDialog::formatChanged() {
    // The file name follows the format: its suffix becomes the format's.
    const int index = std::max(0, ComboFormat->currentIndex());
    const QString name = EditFile->text().trimmed();
    if (name.isEmpty())
        return;
    const QFileInfo info(name);
    const QString suffix = QString::fromLatin1(kFormats[index].suffix);
    bool known = false;
    for (const FormatInfo& f : kFormats)
        known =
            known || info.suffix().compare(QString::fromLatin1(f.suffix), Qt::CaseInsensitive) == 0;
    const QString base = known ? name.left(name.size() - info.suffix().size() - 1) : name;
    EditFile->setText(base + QLatin1Char('.') + suffix);
}

void ReportOptionsDialog::chooseFile() {
    const int index = std::max(0, ComboFormat->currentIndex());
    const QString chosen = FileChooser::saveFile(this, QStringLiteral("Файл отчета"),
                                                 QFileInfo(EditFile->text()).absolutePath(),
                                                 QString::fromUtf8(kFormats[index].label));
    if (!chosen.isEmpty()) {
        // The file dialog has asked already whether an existing file may be replaced.
        EditFile->setText(chosen);
        m_replaceConfirmed = chosen;
    }
}

ReportOutput ReportOptionsDialog::output() const {
    ReportOutput out;
    out.destination = RadioPrinter->isChecked() ? ReportOutput::Destination::Printer
                      : RadioFile->isChecked()  ? ReportOutput::Destination::File
                                                : ReportOutput::Destination::Preview;
    out.format = kFormats[std::max(0, ComboFormat->currentIndex())].format;
    out.fileName = EditFile->text().trimmed();
    out.copies = SpinCopies->value();
    out.collate = CheckCollate->isChecked();
    out.duplex = ComboDuplex->currentIndex();
    out.printer = ComboPrinter->currentText();
    return out;
}

void ReportOptionsDialog::accept() {
    if (RadioFile->isChecked()) {
        const QString name = EditFile->text().trimmed();
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
    setWindowTitle(QStringLiteral("Статус"));
    auto* layout = new QVBoxLayout(this);
    LabelStatus = new QLabel(this);
    LabelStatus->setObjectName(QStringLiteral("LabelStatus"));
    LabelStatus->setMinimumWidth(fontMetrics().averageCharWidth() * 32);
    layout->addWidget(LabelStatus);
}

void ReportStatusDialog::showPage(const QString& line, int page) {
    LabelStatus->setText(QString(line).replace(QLatin1String("%p"), QString::number(page)));
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
            if (view) {
                QTimer::singleShot(0, view, [preview, view] {
                    preview->setZoomMode(QPrintPreviewWidget::CustomZoom);
                    preview->setZoomFactor(1.0);
                    view->verticalScrollBar()->setValue(view->verticalScrollBar()->minimum());
                });
            }
        }
        return false;
    }
};

void Preview(QWidget* parent, const ReportTemplate& tmpl, const ReportContent& content) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Печать отчета"));
    printer.setPageSize(QPageSize(QPageSize::A4));
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("ReportPreview"));
    dialog.setWindowTitle(QStringLiteral("Отчет"));
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
            status.showPage(QStringLiteral("Создается страница %p"), page);
        });
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(output.printer);
    printer.setDocName(QStringLiteral("Печать отчета"));
    printer.setCopyCount(output.copies);
    printer.setCollateCopies(output.collate);
    printer.setDuplex(output.duplex == 1   ? QPrinter::DuplexLongSide
                      : output.duplex == 2 ? QPrinter::DuplexShortSide
                                           : QPrinter::DuplexNone);
    const bool printed = PaintReport(printer, tmpl, content, [&](int page) {
        status.showPage(QStringLiteral("Печатается страница %p"), page);
    });
    if (!printed) {
        throw ReportError(LangText(QStringLiteral("reportPrinterFailed"),
                                   QStringLiteral("The printer %1 cannot be started."))
                              .arg(output.printer));
    }
}

} // namespace zovi
