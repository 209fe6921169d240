#include "reports/printselect.h"

#include "core/lang.h"
#include "core/messages.h"
#include "core/paths.h"
#include "core/wait.h"
#include "reports/reportoptions.h"
#include "store/datamodules.h"
#include "store/error.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace zovi {

PrintSelectWindow::PrintSelectWindow(LedgerTables& tables,
                                     std::function<PrintHeadingState()> heading, QWidget* parent)
    : QDialog(parent), m_data(tables), m_heading(std::move(heading)) {
    setObjectName(QStringLiteral("TPrintSelect"));
    setModal(true);
    m_options = new ReportOptionsDialog(this);

    auto* layout = new QVBoxLayout(this);
    auto option = [&](QRadioButton*& radio, QLabel*& label, const char* name) {
        radio = new QRadioButton(this);
        radio->setObjectName(QString::fromLatin1(name));
        radio->installEventFilter(this);
        label = new QLabel(this);
        label->setWordWrap(true);
        label->setIndent(fontMetrics().averageCharWidth() * 3);
        label->setBuddy(radio);
        label->installEventFilter(this);
        layout->addWidget(radio);
        layout->addWidget(label);
        layout->addSpacing(fontMetrics().height() / 2);
    };
    option(m_standardReport, m_standardNote, "RadioButton1");
    option(m_reducedReport, m_reducedNote, "RadioButton2");
    option(m_compactReport, m_compactNote, "RadioButton3");
    m_standardReport->setChecked(true);
    setMinimumWidth(fontMetrics().averageCharWidth() * 56);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_showButton = new QPushButton(this);
    m_showButton->setObjectName(QStringLiteral("Button1"));
    m_showButton->setDefault(true);
    m_closeButton = new QPushButton(this);
    m_closeButton->setObjectName(QStringLiteral("Button2"));
    buttons->addWidget(m_showButton);
    buttons->addWidget(m_closeButton);
    layout->addLayout(buttons);
    connect(m_showButton, &QPushButton::clicked, this, &PrintSelectWindow::showChosenReport);
    connect(m_closeButton, &QPushButton::clicked, this, &PrintSelectWindow::reject);
    translate();
}

void PrintSelectWindow::translate() {
    setWindowTitle(LangText(QStringLiteral("print"), QStringLiteral("Печать")));
    m_standardReport->setText(
        LangText(QStringLiteral("reportStandard"), QStringLiteral("Стандартный отчет")));
    m_standardNote->setText(
        LangText(QStringLiteral("reportStandardNote"),
                 QStringLiteral("Колонки \"Дата\", \"Наименование\", \"Доход\", \"Расход\", "
                                "\"Группа/Подгруппа\", \"Счет\"; стандартный шрифт.")));
    m_reducedReport->setText(
        LangText(QStringLiteral("reportReduced"), QStringLiteral("Уменьшенный отчет")));
    m_reducedNote->setText(
        LangText(QStringLiteral("reportReducedNote"),
                 QStringLiteral("Колонки \"Дата\", \"Наименование\", \"Доход\", \"Расход\", "
                                "\"Группа\", \"Счет\"; стандартный шрифт.")));
    m_compactReport->setText(
        LangText(QStringLiteral("reportCompact"), QStringLiteral("Компактный отчет")));
    m_compactNote->setText(
        LangText(QStringLiteral("reportCompactNote"),
                 QStringLiteral("Колонки \"Дата\", \"Наименование\", \"Доход\", \"Расход\", "
                                "\"Группа\", \"Счет\"; мелкий шрифт.")));
    m_showButton->setText(LangText(QStringLiteral("reportShow"), QStringLiteral("Показать")));
    m_closeButton->setText(LangText(QStringLiteral("close"), QStringLiteral("Закрыть")));
}

void PrintSelectWindow::showEvent(QShowEvent* event) {
    // The window is made once and shown many times: an edited translation file counts at the
    // next showing.
    if (!event->spontaneous())
        translate();
    QDialog::showEvent(event);
}

QString PrintSelectWindow::templatePath() const {
    const char* name = m_reducedReport->isChecked()   ? "Report/Data2.rav"
                       : m_compactReport->isChecked() ? "Report/Data3.rav"
                                                      : "Report/Data.rav";
    return ProgramFolder::file(QString::fromLatin1(name));
}

bool PrintSelectWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        // A double click on a report, or on its description, chooses it and runs it.
        QRadioButton* radio = qobject_cast<QRadioButton*>(watched);
        if (auto* label = qobject_cast<QLabel*>(watched))
            radio = qobject_cast<QRadioButton*>(label->buddy());
        if (radio) {
            radio->setChecked(true);
            showChosenReport();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void PrintSelectWindow::showChosenReport() {
    try {
        ReportTemplate tmpl;
        ReportContent content;
        {
            BusyCursor busy;
            FillPrintTables(m_data.tbReportData, m_data.tbTopData, PrintRows(m_data.tbData),
                            PrintHeading(m_heading ? m_heading() : PrintHeadingState{}));
            tmpl = ReadReportTemplate(templatePath());
            content = ReadReportContent(m_data.tbReportData, m_data.tbTopData, tmpl);
        }
        const auto output = m_options->ask();
        if (!output)
            return;
        RunReport(this, *output, tmpl, content);
    } catch (const ReportError& e) {
        Messages::error(this, e.message());
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
    }
}

} // namespace zovi
