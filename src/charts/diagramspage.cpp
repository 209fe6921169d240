#include "charts/diagramspage.h"

#include "core/layouts.h"

#include <QTabWidget>
#include <QVBoxLayout>

namespace zovi {

DiagramsPage::DiagramsPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabSheet3"));
    auto* layout = new QVBoxLayout(this);
    PageControl1 = Named(new QTabWidget(this), "PageControl1");
    PageControl1->addTab(Named(new QWidget(PageControl1), "TabSheetChart1"),
                         QStringLiteral("Chart: incomes/charges"));
    PageControl1->addTab(Named(new QWidget(PageControl1), "TabSheetChart2"),
                         QStringLiteral("Chart: groups"));
    layout->addWidget(PageControl1);
}

TranslationKeys DiagramsPage::translationKeys() {
    using namespace translation;
    return {
        {QStringLiteral("chart: incomes/charges"), TabText(PageControl1, 0)},
        {QStringLiteral("chart: groups"), TabText(PageControl1, 1)},
    };
}

} // namespace zovi
