#pragma once

#include "core/translate.h"

#include <QWidget>

class QTabWidget;

namespace zovi {

// The diagrams page of the main window: the chart of incomes and charges and the chart of
// groups, each on a tab of its own.
class DiagramsPage : public QWidget {
    Q_OBJECT

public:
    explicit DiagramsPage(QWidget* parent = nullptr);

    // The keys of the translation table that reach this page's controls, in table order.
    TranslationKeys translationKeys();

private:
    QTabWidget* PageControl1 = nullptr;
};

} // namespace zovi
