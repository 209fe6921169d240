#pragma once

#include <QApplication>

namespace zovi {

// The application object. Every command catches the store's errors at its own edge; should one
// still reach the event loop, the user is shown its message and the program goes on, instead of
// ending at once with the changes of the session.
class Application : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override;
};

// What the program sets up once its application object exists, before any window: its name,
// the C locale for libraries written in C and the program's number and date conventions.
void SetUpApplication();

} // namespace zovi
