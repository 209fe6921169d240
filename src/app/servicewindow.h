#pragma once

// ServiceWindow: the service window (Ctrl+Alt+Z), for maintenance of the three ledger handles by
// hand. One row per handle (tbData, tbData2, tbData3): its name, a state label
// ("<handle>State": open with its row count, or closed) and the buttons "<handle>Open",
// "<handle>Close" and "<handle>Refresh"; ButtonClose closes the window. A failing command shows
// the store's message in an error box and leaves the handle as it was.

#include <QDialog>
#include <QList>

class QLabel;
class QPushButton;

namespace zovi {

class LedgerTables;
class TableHandle;

class ServiceWindow : public QDialog {
    Q_OBJECT

public:
    explicit ServiceWindow(LedgerTables& data, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct HandleRow {
        TableHandle* handle;
        QLabel* state;
        QPushButton* open;
        QPushButton* close;
        QPushButton* refresh;
    };
    // Shows each handle's state and enables the commands that apply to it.
    void showStates();

    LedgerTables& m_data;
    QList<HandleRow> m_rows;
    QPushButton* m_close;
};

} // namespace zovi
