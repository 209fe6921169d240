#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace zovi {

// The one error type of the table store: a readable message for the user's error box.
class StoreError : public std::exception {
public:
    explicit StoreError(QString message);
    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// The message with which writes to a read-only database are refused.
QString ReadOnlyMessage();

// The messages of a table file that cannot be opened, read or written, with the reason.
QString CannotOpenMessage(const QString& path, const QString& why);
QString CannotReadMessage(const QString& path, const QString& why);
QString CannotWriteMessage(const QString& path, const QString& why);

} // namespace zovi
