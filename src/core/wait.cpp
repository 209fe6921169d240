#include "core/wait.h"

#include "core/lang.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace zovi {

Twait::Twait(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
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

QString Twait::labelText() const {
    QString text = QStringLiteral("Please, wait...");
    LangString(QStringLiteral("wait"), text);
    return text;
}

void Twait::showNow() {
    m_label->setText(labelText());
    show();
    raise();
    // Painted at once, without running the message loop: no timer may fire in the middle of
    // the work the window announces.
    repaint();
}

void Twait::step() {
    if (m_gauge->value() < m_gauge->maximum())
        m_gauge->setValue(m_gauge->value() + 1);
}

void Twait::readProgress(qint64 done, qint64 total) {
    if (total <= 0 || done >= total) {
        if (m_stepValue >= 0) {
            m_gauge->setValue(m_stepValue);
            m_label->setText(labelText());
            m_stepValue = -1;
        }
    } else {
        if (m_stepValue < 0)
            m_stepValue = m_gauge->value();
        const int percent = int(done * 100 / total);
        m_gauge->setValue(int(done * m_gauge->maximum() / total));
        m_label->setText(QStringLiteral("%1 %2%").arg(labelText()).arg(percent));
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

WaitGuard::WaitGuard(Twait* wait) : m_wait(wait), m_wasVisible(wait && wait->isVisible()) {
    if (m_wait && !m_wasVisible)
        m_wait->showNow();
}

WaitGuard::~WaitGuard() {
    if (m_wait && !m_wasVisible)
        m_wait->hide();
}

} // namespace zovi
