#include "reports/printselect.h"

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
#include <QVBoxLayout>

namespace zovi {

PrintSelectWindow::PrintSelectWindow(LedgerTables& tables,
                                     std::function<PrintHeadingState()> heading, QWidget* parent)
    : QDialog(parent), m_data(tables), m_heading(std::move(heading)) {
    setObjectName(QStringLiteral("TPrintSelect"));
    setWindowTitle(QStringLiteral("Печать"));
    setModal(true);
    m_options = new ReportOptionsDialog(this);

    auto* layout = new QVBoxLayout(this);
    auto option = [&](QRadioButton*& radio, const char* name, const QString& text,
                      const QString& description) {
        radio = new QRadioButton(text, this);
        radio->setObjectName(QString::fromLatin1(name));
        radio->installEventFilter(this);
        auto* label = new QLabel(description, this);
        label->setWordWrap(true);
        label->setIndent(fontMetrics().averageCharWidth() * 3);
        label->setBuddy(radio);
        label->installEventFilter(this);
        layout->addWidget(radio);
        layout->addWidget(label);
        layout->addSpacing(fontMetrics().height() / 2);
    };
    option(m_standardReport, "RadioButton1", QStringLiteral("Стандартный отчет"),
           QStringLiteral("Колонки \"Дата\", \"Наименование\", \"Доход\", \"Расход\", "
                          "\"Группа/Подгруппа\", \"Счет\"; стандартный шрифт."));
    option(m_reducedReport, "RadioButton2", QStringLiteral("Уменьшенный отчет"),
           QStringLiteral("Колонки \"Дата\", \"Наименование\", \"Доход\", \"Расход\", "
                          "\"Группа\", \"Счет\"; стандартный шрифт."));
    option(m_compactReport, "RadioButton3", QStringLiteral("Компактный отчет"),
           QStringLiteral("Колонки \"Дата\", \"Наименование\", \"Доход\", \"Расход\", "
                          "\"Группа\", \"Счет\"; мелкий шрифт."));
    m_standardReport->setChecked(true);
    setMinimumWidth(fontMetrics().averageCharWidth() * 56);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_showButton = new QPushButton(QStringLiteral("Показать"), this);
    m_showButton->setObjectName(QStringLiteral("Button1"));
    m_showButton->setDefault(true);
    auto* close = new QPushButton(QStringLiteral("Закрыть"), this);
    close->setObjectName(QStringLiteral("Button2"));
    buttons->addWidget(m_showButton);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(m_showButton, &QPushButton::clicked, this, &PrintSelectWindow::showChosenReport);
    connect(close, &QPushButton::clicked, this, &PrintSelectWindow::reject);
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
