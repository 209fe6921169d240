#include "core/messages.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QQueue>

namespace zovi {

namespace {

struct TestState {
    bool on = false;
    QQueue<bool> answers;
    QQueue<int> buttons;
    QStringList shown;
    int beeps = 0;
    QQueue<QString> choices;
};

TestState& State() {
    static TestState state;
    return state;
}

} // namespace

void Messages::error(QWidget* parent, const QString& text) {
    if (State().on) {
        State().shown << text;
        return;
    }
    QMessageBox::critical(parent, QApplication::applicationDisplayName(), text, QMessageBox::Ok);
}

void Messages::info(QWidget* parent, const QString& text) {
    if (State().on) {
        State().shown << text;
        return;
    }
    QMessageBox::information(parent, QApplication::applicationDisplayName(), text, QMessageBox::Ok);
}

bool Messages::confirm(QWidget* parent, const QString& text) {
    if (State().on) {
        State().shown << text;
        return !State().answers.isEmpty() && State().answers.dequeue();
    }
    return QMessageBox::question(parent, QApplication::applicationDisplayName(), text,
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

int Messages::choose(QWidget* parent, const QString& text, const QStringList& buttons) {
    const int cancel = int(buttons.size()) - 1;
    if (State().on) {
        State().shown << text;
        return State().buttons.isEmpty() ? cancel : State().buttons.dequeue();
    }
    QMessageBox box(QMessageBox::Question, QApplication::applicationDisplayName(), text,
                    QMessageBox::NoButton, parent);
    QList<QAbstractButton*> added;
    for (int i = 0; i <= cancel; ++i)
        added << box.addButton(buttons[i],
                               i == cancel ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
    box.setDefaultButton(qobject_cast<QPushButton*>(added.last()));
    box.setEscapeButton(added.last());
    box.exec();
    const int chosen = int(added.indexOf(box.clickedButton()));
    return chosen < 0 ? cancel : chosen;
}

void Messages::beep() {
    ++State().beeps;
    if (!State().on)
        QApplication::beep();
}

void Messages::setTestMode(bool on) {
    State() = TestState();
    State().on = on;
}

bool Messages::testMode() {
    return State().on;
}
void Messages::queueAnswer(bool yes) {
    State().answers.enqueue(yes);
}

void Messages::queueButton(int index) {
    State().buttons.enqueue(index);
}

QStringList Messages::takeShown() {
    QStringList shown = State().shown;
    State().shown.clear();
    return shown;
}

int Messages::beeps() {
    return State().beeps;
}

namespace {
bool TakeChoice(QString* path) {
    if (!State().on)
        return false;
    *path = State().choices.isEmpty() ? QString() : State().choices.dequeue();
    return true;
}
} // namespace

QString FileChooser::openFile(QWidget* parent, const QString& caption, const QString& folder,
                              const QString& filter) {
    QString path;
    if (TakeChoice(&path))
        return path;
    return QFileDialog::getOpenFileName(parent, caption, folder, filter);
}

QString FileChooser::saveFile(QWidget* parent, const QString& caption, const QString& folder,
                              const QString& filter, bool confirmOverwrite) {
    QString path;
    if (TakeChoice(&path))
        return path;
    return QFileDialog::getSaveFileName(parent, caption, folder, filter, nullptr,
                                        confirmOverwrite ? QFileDialog::Options()
                                                         : QFileDialog::DontConfirmOverwrite);
}

QString FileChooser::folder(QWidget* parent, const QString& caption, const QString& start) {
    QString path;
    if (TakeChoice(&path))
        return path;
    return QFileDialog::getExistingDirectory(parent, caption, start);
}

void FileChooser::queueChoice(const QString& path) {
    State().choices.enqueue(path);
}

} // namespace zovi
