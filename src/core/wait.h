#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

namespace zovi {

// The small wait window: "Please, wait..." and a gauge (maximum 40), centred on the screen.
class WaitWindow : public QDialog {
    Q_OBJECT

public:
    explicit WaitWindow(QWidget* parent = nullptr);

    QProgressBar* gauge() const { return m_gauge; }
    // Translates the label (key "wait") and shows the window without blocking, painted at once.
    void showNow();
    void step();
    // Shows how far the reading of a large file has come: while it lasts the gauge follows the
    // file and the label gives the share read; when done reaches total both are as before.
    void readProgress(qint64 done, qint64 total);

private:
    QString labelText() const;

    QLabel* m_label;
    int m_stepValue = -1; // the gauge's steps while a file's progress is shown
    QProgressBar* m_gauge;
};

// Shows the busy cursor for its lifetime, so that an error never leaves it on.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// Shows a wait window for its lifetime (not modal).
class WaitGuard {
public:
    explicit WaitGuard(WaitWindow* wait);
    ~WaitGuard();
    WaitGuard(const WaitGuard&) = delete;
    WaitGuard& operator=(const WaitGuard&) = delete;

private:
    WaitWindow* m_wait;
    bool m_wasVisible;
};

} // namespace zovi
