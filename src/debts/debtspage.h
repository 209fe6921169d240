#pragma once

#include "core/translate.h"

#include <QWidget>

class QGroupBox;
class QTableView;
class QToolBar;
class QToolButton;

namespace zovi {

class TCDdata;

// The debts page of the main window: the toolbar of debt commands, the grid of debts, and the
// side panel with the valuation date and the repayments of the chosen debt. The commands that
// need a debt are enabled while the debts table holds any.
class DebtsPage : public QWidget {
    Q_OBJECT

public:
    explicit DebtsPage(TCDdata& cd, QWidget* parent = nullptr);

    // The appearance the settings choose for the toolbar.
    void applyFace(bool transparentToolbars, bool flatButtons);
    // Column widths of the grid: saved ones, or computed from the window width.
    void loadColumnWidths(int windowWidth);
    // The keys of the translation table that reach this page's controls, in table order.
    TranslationKeys translationKeys();

private:
    void debtsChanged();

    TCDdata& m_cd;
    QToolBar* ToolBar2 = nullptr;
    QTableView* GridD = nullptr;
    QWidget* Panel4 = nullptr;
    QGroupBox* GroupBoxValue = nullptr;
    QGroupBox* GroupBoxPay = nullptr;
};

} // namespace zovi
