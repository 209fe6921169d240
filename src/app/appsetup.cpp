#include "app/appsetup.h"

#include "core/language.h"
#include "core/locale.h"
#include "core/messages.h"
#include "store/error.h"

#include <QCoreApplication>
#include <clocale>

namespace zovi {

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const StoreError& e) {
        Messages::error(activeWindow(), e.message());
        return false;
    }
}

void SetUpApplication() {
    // Only the name: a display name set as well would be appended to every window's title
    // ("Выбор базы данных — Zovi"), while each window shows exactly its own caption. Message
    // boxes are titled with the display name, which is the application name while none is set.
    QCoreApplication::setApplicationName(QStringLiteral("Zovi"));
    // Libraries written in C must always read and write numbers with a point.
    setlocale(LC_NUMERIC, "C");
    AppLocale::loadFromSystem();
    // Qt's own dialogs and buttons in the language of the translation file.
    ApplyLanguage();
}

} // namespace zovi
