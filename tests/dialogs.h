#pragma once

// Driving real dialogs headless: controls found by object name, clicks and typing, and exec()
// with the interaction scheduled before it blocks.

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>

namespace zovi::test {

template <class T> T* Child(QWidget* window, const char* name) {
    T* child = window->findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qFatal("%s has no control %s", qPrintable(window->objectName()), name);
    return child;
}

inline void Click(QWidget* window, const char* name) {
    auto* button = Child<QAbstractButton>(window, name);
    // A check box or radio button reacts on its indicator and text, not on the whole width.
    const bool indicator = qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button);
    QTest::mouseClick(button, Qt::LeftButton, {},
                      indicator ? QPoint(6, button->height() / 2) : QPoint());
}

inline void Type(QWidget* window, const char* name, const QString& text) {
    auto* edit = Child<QLineEdit>(window, name);
    edit->clear();
    QTest::keyClicks(edit, text);
}

// Picks the item with this text as a user does, so that the list's handlers run.
inline void Choose(QComboBox* list, const QString& text) {
    const int at = list->findText(text);
    list->setCurrentIndex(at);
    Q_EMIT list->activated(at);
}

// The object names of the controls the Tab key visits in window, from the one focused first
// until the focus comes back to it; a control Tab moves within (the sections of a date) is
// named once. The window is made active so that the keys reach it.
inline QStringList TabWalk(QWidget* window) {
    window->activateWindow();
    if (!QTest::qWaitFor([window] { return window->isActiveWindow() && window->focusWidget(); }))
        return {};
    QWidget* first = QApplication::focusWidget();
    QStringList names{first->objectName()};
    for (int step = 0; step < 100; ++step) {
        QWidget* before = QApplication::focusWidget();
        QTest::keyClick(before, Qt::Key_Tab);
        QWidget* now = QApplication::focusWidget();
        if (now == before)
            continue;
        if (now == first)
            return names;
        names << now->objectName();
    }
    return names;
}

inline QStringList Items(QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}

// Whether control shows text whole: the text fits its contents, and the control is as wide and
// as tall as its size hint (the text with the style's margins, frame and indicator).
inline bool ShowsWhole(const QWidget* control, const QString& text) {
    const QSize hint = control->sizeHint();
    return control->fontMetrics().horizontalAdvance(text) <= control->contentsRect().width() &&
           control->width() >= hint.width() && control->height() >= hint.height();
}

// Runs action once window is on the screen, from whichever event loop runs then; gives up after
// a few seconds (the watchdog of Run then closes what is left).
inline void WhenShown(QWidget* window, std::function<void()> action) {
    auto* poll = new QTimer(window);
    const QDeadlineTimer deadline(5000);
    QObject::connect(poll, &QTimer::timeout, window, [=] {
        if (window->isVisible() || deadline.hasExpired()) {
            poll->stop();
            poll->deleteLater();
            if (window->isVisible())
                action();
        }
    });
    poll->start(5);
}

// Closes every dialog left open, so that nothing stays open for the next test.
inline void CloseDialogs() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
            dialog->reject();
}

// exec() of a dialog with action run once it is shown; a dialog the action leaves open is closed
// afterwards unless it closes itself, and a watchdog closes every dialog when something blocks.
inline int Run(QDialog* dialog, std::function<void()> action, bool closesItself = false) {
    WhenShown(dialog, [=] {
        action();
        if (!closesItself && dialog->isVisible())
            dialog->reject();
    });
    bool hung = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        hung = true;
        CloseDialogs();
    });
    watchdog.start(20000);
    const int result = dialog->exec();
    if (hung)
        QTest::qFail("a dialog blocked the test", __FILE__, __LINE__);
    return result;
}

} // namespace zovi::test
