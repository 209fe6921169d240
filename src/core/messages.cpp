#include "core/messages.h"

#include "core/lang.h"
#include "core/wait.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QQueue>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

using namespace Qt::StringLiterals;

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

// The wait windows stay on top of every window: while a message is shown they step back, and
// come again when it is answered, since the work they announce goes on.
class WaitWindowsAside {
public:
    WaitWindowsAside() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* wait = qobject_cast<WaitWindow*>(widget); wait && wait->isVisible()) {
                wait->hide();
                m_hidden << wait;
            }
        }
    }
    ~WaitWindowsAside() {
        for (const QPointer<WaitWindow>& wait : m_hidden) {
            if (wait) {
                wait->show();
                wait->raise();
            }
        }
    }
    WaitWindowsAside(const WaitWindowsAside&) = delete;
    WaitWindowsAside& operator=(const WaitWindowsAside&) = delete;

private:
    QList<QPointer<WaitWindow>> m_hidden;
};

// Shows the box as its own dialog with the text in a scrolling area of at most most of the
// screen, so that the buttons stay on screen; the box's button chosen, none when closed.
QAbstractButton* ExecScrolling(QMessageBox& box, const QRect& screen) {
    QDialog dialog(box.parentWidget());
    dialog.setWindowTitle(box.windowTitle());
    auto* icon = new QLabel(&dialog);
    icon->setPixmap(box.iconPixmap());
    icon->setAlignment(Qt::AlignTop);
    auto* text = new QLabel(box.text());
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    auto* scroll = new QScrollArea(&dialog);
    scroll->setWidget(text);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* buttons = new QDialogButtonBox(&dialog);
    QAbstractButton* chosen = box.escapeButton();
    for (QAbstractButton* button : box.buttons()) {
        QPushButton* own = buttons->addButton(
            button->text(), QDialogButtonBox::ButtonRole(int(box.buttonRole(button))));
        own->setDefault(button == box.defaultButton());
        QObject::connect(own, &QPushButton::clicked, &dialog, [&chosen, &dialog, button] {
            chosen = button;
            dialog.done(QDialog::Accepted);
        });
    }
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(scroll, 1);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(row, 1);
    layout->addWidget(buttons);
    const QSize size(std::min(screen.width() * 2 / 3, 900), screen.height() * 2 / 3);
    dialog.resize(size);
    dialog.move(screen.center() - QPoint(size.width() / 2, size.height() / 2));
    dialog.exec();
    return chosen;
}

// Shows a box above every wait window; a text too long for the screen scrolls. The button
// chosen (the escape button or none when the box was closed).
QAbstractButton* Exec(QMessageBox& box) {
    // The standard buttons speak the language of the translation table; without a key they
    // keep Qt's own captions.
    if (QAbstractButton* b = box.button(QMessageBox::Yes))
        b->setText(LangText(u"yes"_s, b->text()));
    if (QAbstractButton* b = box.button(QMessageBox::No))
        b->setText(LangText(u"no"_s, b->text()));
    if (QAbstractButton* b = box.button(QMessageBox::Ok))
        b->setText(LangText(u"ok"_s, b->text()));
    if (QAbstractButton* b = box.button(QMessageBox::Cancel))
        b->setText(LangText(u"cancel"_s, b->text()));
    WaitWindowsAside aside;
    const QWidget* parent = box.parentWidget();
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    // The text as the box would wrap it at most, against the height left for it beside the
    // title, the buttons and the margins.
    const QRect needed = box.fontMetrics().boundingRect(QRect(0, 0, available.width() / 2, INT_MAX),
                                                        Qt::TextWordWrap, box.text());
    if (needed.height() > available.height() - 200 || needed.width() > available.width() - 100)
        return ExecScrolling(box, available);
    box.exec();
    return box.clickedButton();
}

// An error or information box with OK.
void ShowOk(QMessageBox::Icon icon, QWidget* parent, const QString& text) {
    QMessageBox box(icon, QApplication::applicationDisplayName(), text, QMessageBox::Ok, parent);
    Exec(box);
}

} // namespace

void Messages::error(QWidget* parent, const QString& text) {
    if (State().on) {
        State().shown << text;
        return;
    }
    ShowOk(QMessageBox::Critical, parent, text);
}

void Messages::info(QWidget* parent, const QString& text) {
    if (State().on) {
        State().shown << text;
        return;
    }
    ShowOk(QMessageBox::Information, parent, text);
}

bool Messages::confirm(QWidget* parent, const QString& text) {
    if (State().on) {
        State().shown << text;
        return !State().answers.isEmpty() && State().answers.dequeue();
    }
    QMessageBox box(QMessageBox::Question, QApplication::applicationDisplayName(), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return Exec(box) == box.button(QMessageBox::Yes);
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
    const int chosen = int(added.indexOf(Exec(box)));
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
