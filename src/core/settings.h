#pragma once

#include <QString>

namespace zovi {

// The per-user settings under "tarvo"/"zovi6". Every value is read and written at the moment of
// use: nothing is cached. Booleans are stored as the integers 0 and 1.
class Settings {
public:
    static bool contains(const QString& name);

    static bool readBool(const QString& name, bool fallback);
    static int readInt(const QString& name, int fallback);
    static QString readString(const QString& name, const QString& fallback = QString());

    static void writeBool(const QString& name, bool value);
    static void writeInt(const QString& name, int value);
    static void writeString(const QString& name, const QString& value);

    static void remove(const QString& name);

    // Keeps the settings file under folder instead of the user's configuration folder (tests).
    static void setTestPath(const QString& folder);
};

} // namespace zovi
