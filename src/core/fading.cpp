#include "core/fading.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>

namespace zovi {

namespace {

constexpr int kStep = 15;
constexpr int kStepMs = 4;

} // namespace

void FadingDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_fading) {
        setWindowOpacity(1);
        return;
    }
    // Fading in runs from the message loop, so the dialog takes input while it appears.
    setWindowOpacity(0);
    auto* timer = new QTimer(this);
    timer->setInterval(kStepMs);
    connect(timer, &QTimer::timeout, this, [this, timer, level = 0]() mutable {
        level = std::min(255, level + kStep);
        if (!m_closing)
            setWindowOpacity(level / 255.0);
        if (level == 255 || m_closing) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

void FadingDialog::done(int result) {
    if (m_closing)
        return;
    if (m_fading && isVisible()) {
        // The dialog ignores clicks while it fades, so a second OK cannot close it twice.
        m_closing = true;
        setEnabled(false);
        fadeOut();
        setEnabled(true);
        m_closing = false;
    }
    QDialog::done(result);
    setWindowOpacity(1);
}

void FadingDialog::fadeOut() {
    for (int level = int(windowOpacity() * 255); level > 0; level -= kStep) {
        setWindowOpacity(level / 255.0);
        QEventLoop loop;
        QTimer::singleShot(kStepMs, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    setWindowOpacity(0);
}

} // namespace zovi
