#pragma once

#include <QString>
#include <type_traits>

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

// One setting: its key and the value it has while the store holds none. Every reader and the
// first-start defaults go through the same definition, so they always agree.
template <class T> class Setting {
public:
    using Fallback = std::conditional_t<std::is_same_v<T, QString>, const char*, T>;
    constexpr Setting(const char* key, Fallback fallback) : m_key(key), m_fallback(fallback) {}

    QString key() const { return QString::fromLatin1(m_key); }
    T fallback() const { return T(m_fallback); }
    bool stored() const { return Settings::contains(key()); }
    T read() const;
    void write(const T& value) const;
    // Writes the fallback when the store holds no value yet.
    void writeFallbackIfMissing() const {
        if (!stored())
            write(fallback());
    }

private:
    const char* m_key;
    Fallback m_fallback;
};

template <> inline QString Setting<QString>::fallback() const {
    return QString::fromUtf8(m_fallback);
}
template <> inline bool Setting<bool>::read() const {
    return Settings::readBool(key(), m_fallback);
}
template <> inline int Setting<int>::read() const {
    return Settings::readInt(key(), m_fallback);
}
template <> inline QString Setting<QString>::read() const {
    return Settings::readString(key(), fallback());
}
template <> inline void Setting<bool>::write(const bool& value) const {
    Settings::writeBool(key(), value);
}
template <> inline void Setting<int>::write(const int& value) const {
    Settings::writeInt(key(), value);
}
template <> inline void Setting<QString>::write(const QString& value) const {
    Settings::writeString(key(), value);
}

// The settings of the program. Folders and files that depend on where the program runs (the
// backup folder, the skin) have an empty fallback; the first start writes their real values.
namespace settings {
inline constexpr Setting<bool> initialized{"initialized", false};
inline constexpr Setting<QString> currentFolder{"curdir", ""};
// The look of the account tabs: 0 tabs, 1 buttons, 2 flat buttons.
inline constexpr Setting<int> accountTabsStyle{"accounts", 0};
inline constexpr Setting<bool> transparentToolbars{"flat_panel", true};
inline constexpr Setting<bool> flatButtons{"flat_button", true};
inline constexpr Setting<QString> backupFolder{"reservcopy", ""};
inline constexpr Setting<bool> showBackupWindow{"showcopy", true};
inline constexpr Setting<bool> fadeDialogs{"alphablend", true};
inline constexpr Setting<QString> skin{"skin", ""};
inline constexpr Setting<bool> quickView{"fastview", false};
// The currencies of the grid's two extra columns, by name; "-/-" shows none.
inline constexpr Setting<QString> displayCurrency1{"currency1", "-/-"};
inline constexpr Setting<QString> displayCurrency2{"currency2", "-/-"};
// Modern arrangement: page tabs on the left, filter tabs below, the value panel compact.
inline constexpr Setting<bool> pageTabsLeft{"msPage", true};
inline constexpr Setting<bool> filterTabsBelow{"msFilter", true};
inline constexpr Setting<bool> valuePanelCompact{"msValue", true};
// The translation file chosen in the settings window, relative to the program folder
// ("lang/ru.ini"); "lang.ini", the file beside the program, while none is chosen.
inline constexpr Setting<QString> language{"language", "lang.ini"};

// The saved width of a column of the ledger grid (1..7) and of the debts grid (1..6); -1 for a
// hidden column. Only a stored value counts: without one the width is computed.
inline QString LedgerColumnKey(int column) {
    return QStringLiteral("size%1").arg(column);
}
inline QString DebtColumnKey(int column) {
    return QStringLiteral("sizeCD%1").arg(column);
}
} // namespace settings

} // namespace zovi
