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

void Twait::showNow() {
    QString text = QStringLiteral("Please, wait...");
    LangString(QStringLiteral("wait"), text);
    m_label->setText(text);
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
