#pragma once

#include "core/locale.h"
#include "core/messages.h"

#include <QStringList>
#include <QtGlobal>
#include <clocale>
#include <cstdio>

namespace zovi::bench {

// What the benches that drive windows share, so that each measures the same way.

// Before the application object: windows go offscreen unless a platform was chosen.
inline void UseOffscreenUnlessSet() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// After it: the C numeric locale, the test conventions (decimal comma, dd.MM.yyyy) and
// messages recorded instead of shown.
inline void UseBenchConventions() {
    setlocale(LC_NUMERIC, "C");
    AppLocale::set(u',', QStringLiteral("dd.MM.yyyy"));
    Messages::setTestMode(true);
}

// 0 when no message was shown during the run; else prints them on stderr and returns 1, since
// a figure measured around an error box is no figure.
inline int ExitCodeForShownMessages() {
    const QStringList shown = Messages::takeShown();
    if (shown.isEmpty())
        return 0;
    std::fprintf(stderr, "messages shown: %s\n", qPrintable(shown.join(QStringLiteral(" | "))));
    return 1;
}

} // namespace zovi::bench
