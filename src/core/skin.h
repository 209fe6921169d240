#pragma once

#include <QString>

namespace zovi {

// The skin engine: a skin file is a Qt style sheet that the whole application wears. A skin is
// ready when its file was read and holds a style sheet; one that is not ready leaves the skin
// worn before.
class SkinEngine {
public:
    // Reads and applies the skin file; whether it is ready.
    static bool load(const QString& path);
    // The file of the skin worn now; empty before the first skin was loaded.
    static QString loaded();
    // Whether a text is a style sheet: rules of selectors and braces, balanced, nothing else.
    static bool isStyleSheet(const QString& text);
    // The program's own skin, Skins/Longhorn.sui in the program folder: the default, and the
    // one worn when the chosen skin is not ready.
    static QString defaultSkin();
    // Forgets the skin worn (tests start each case without one).
    static void reset();
};

} // namespace zovi
