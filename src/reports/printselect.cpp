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

PrintSelectWindow::PrintSelectWindow(LedgerTables& tables, std::function<PrintHeadingState()> heading,
                           QWidget* parent)
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
    option(RadioButton1, "RadioButton1", QStringLiteral("Стандартный отчет"),
           QStringLiteral("Колонки \"Дата\", \"Наименование\", \"Доход\", \"Расход\", "
                          "\"Группа/Подгруппа\", \"Счет\"; стандартный шрифт."));
    option(RadioButton2, "RadioButton2", QStringLiteral("Уменьшенный отчет"),
           QStringLiteral("Колонки \"Дата\", \"Наименование\", \"Доход\", \"Расход\", "
                          "\"Группа\", \"Счет\"; стандартный шрифт."));
    option(RadioButton3, "RadioButton3", QStringLiteral("Компактный отчет"),
           QStringLiteral("Колонки \"Дата\", \"Наименование\", \"Доход\", \"Расход\", "
                          "\"Группа\", \"Счет\"; мелкий шрифт."));
    RadioButton1->setChecked(true);
    setMinimumWidth(fontMetrics().averageCharWidth() * 56);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    Button1 = new QPushButton(QStringLiteral("Показать"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    auto* close = new QPushButton(QStringLiteral("Закрыть"), this);
    close->setObjectName(QStringLiteral("Button2"));
    buttons->addWidget(Button1);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(Button1, &QPushButton::clicked, this, &PrintSelectWindow::Button1Click);
    connect(close, &QPushButton::clicked, this, &PrintSelectWindow::reject);
}

QString PrintSelectWindow::templatePath() const {
    const char* name = RadioButton2->isChecked()   ? "Report/Data2.rav"
                       : RadioButton3->isChecked() ? "Report/Data3.rav"
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
            Button1Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void PrintSelectWindow::Button1Click() {
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
