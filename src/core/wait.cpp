#include "core/wait.h"

#include "core/lang.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QVBoxLayout>
#include <QWindow>

namespace zovi {

// Kept above the window whose work it announces, the chooser among them.
WaitWindow::WaitWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("Twait"));
    auto* layout = new QVBoxLayout(this);
    m_label = new QLabel(QStringLiteral("Please, wait..."), this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setAlignment(Qt::AlignCenter);
    m_gauge = new QProgressBar(this);
    m_gauge->setObjectName(QStringLiteral("Gauge1"));
    m_gauge->setRange(0, 40);
    m_gauge->setValue(0);
    m_gauge->setTextVisible(false);
    layout->addWidget(m_label);
    layout->addWidget(m_gauge);
    setFixedSize(260, 80);
}

QString WaitWindow::labelText() const {
    QString text = QStringLiteral("Please, wait...");
    LangString(QStringLiteral("wait"), text);
    return text;
}

void WaitWindow::showNow() {
    m_label->setText(labelText());
    show();
    raise();
    // A window the system has not put on screen yet cannot be painted, and the work the window
    // announces keeps the message loop from running: the showing is waited for here (half a
    // second at most), letting through neither input nor timers, so that no timer fires in the
    // middle of that work. Then it is painted at once.
    QElapsedTimer waited;
    waited.start();
    while (windowHandle() && !windowHandle()->isExposed() && waited.elapsed() < 500) {
        QCoreApplication::processEvents(
            QEventLoop::ExcludeUserInputEvents | QEventLoop::X11ExcludeTimers, 5);
        QThread::msleep(1);
    }
    repaint();
}

void WaitWindow::step() {
    if (m_gauge->value() < m_gauge->maximum())
        m_gauge->setValue(m_gauge->value() + 1);
}

void WaitWindow::readProgress(qint64 done, qint64 total) {
    if (total <= 0 || done >= total) {
        if (m_stepValue >= 0) {
            // The label first: the gauge paints the window as soon as it moves.
            m_label->setText(labelText());
            m_gauge->setValue(m_stepValue);
            m_stepValue = -1;
        }
    } else {
        if (m_stepValue < 0)
            m_stepValue = m_gauge->value();
        const int percent = int(done * 100 / total);
        m_label->setText(QStringLiteral("%1 %2%").arg(labelText()).arg(percent));
        m_gauge->setValue(int(done * m_gauge->maximum() / total));
    }
    if (isVisible())
        repaint();
}

BusyCursor::BusyCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}
BusyCursor::~BusyCursor() {
    QApplication::restoreOverrideCursor();
}

WaitGuard::WaitGuard(WaitWindow* wait) : m_wait(wait), m_wasVisible(wait && wait->isVisible()) {
    if (m_wait && !m_wasVisible)
        m_wait->showNow();
}

WaitGuard::~WaitGuard() {
    if (m_wait && !m_wasVisible)
        m_wait->hide();
}

} // namespace zovi
