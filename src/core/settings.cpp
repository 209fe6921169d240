#include "core/settings.h"

#include <QSettings>
#include <QVariant>

using namespace Qt::StringLiterals;

namespace zovi {

namespace {

// A fresh handle on the user's settings; QSettings itself shares the file between handles.
QSettings store() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, u"tarvo"_s, u"zovi6"_s);
}

} // namespace

bool Settings::contains(const QString& name) {
    return store().contains(name);
}

bool Settings::readBool(const QString& name, bool fallback) {
    const QVariant value = store().value(name);
    if (!value.isValid())
        return fallback;
    // Integers are what this program writes; "true" and "false" are accepted from elsewhere.
    const QString text = value.toString().trimmed();
    bool ok = false;
    const int number = text.toInt(&ok);
    if (ok)
        return number != 0;
    if (text.compare(u"true"_s, Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(u"false"_s, Qt::CaseInsensitive) == 0)
        return false;
    return fallback;
}

int Settings::readInt(const QString& name, int fallback) {
    const QVariant value = store().value(name);
    if (!value.isValid())
        return fallback;
    bool ok = false;
    const int number = value.toInt(&ok);
    return ok ? number : fallback;
}

QString Settings::readString(const QString& name, const QString& fallback) {
    const QVariant value = store().value(name);
    return value.isValid() ? value.toString() : fallback;
}

void Settings::writeBool(const QString& name, bool value) {
    QSettings s = store();
    s.setValue(name, value ? 1 : 0);
    s.sync();
}

void Settings::writeInt(const QString& name, int value) {
    QSettings s = store();
    s.setValue(name, value);
    s.sync();
}

void Settings::writeString(const QString& name, const QString& value) {
    QSettings s = store();
    s.setValue(name, value);
    s.sync();
}

void Settings::remove(const QString& name) {
    QSettings s = store();
    s.remove(name);
    s.sync();
}

void Settings::setTestPath(const QString& folder) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

} // namespace zovi
