#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace zovi {

// Every message box of the program goes through here: an error box has the error icon and OK,
// a confirmation the question icon with Yes and No (only Yes confirms). Tests answer boxes in
// advance, so that no test waits on a box.
class Messages {
public:
    static void error(QWidget* parent, const QString& text);
    static void info(QWidget* parent, const QString& text);
    static bool confirm(QWidget* parent, const QString& text);
    // A question with a button for each text, the last one cancelling (Escape and closing the
    // box choose it, and it is the default); the index of the button chosen.
    static int choose(QWidget* parent, const QString& text, const QStringList& buttons);

    // The short sound of a refused action.
    static void beep();

    // Test mode: boxes are not shown; each is recorded, and a confirmation takes the next
    // queued answer (No when none is queued).
    static void setTestMode(bool on);
    static bool testMode();
    static void queueAnswer(bool yes);
    // The index of the button the next choice takes (the last one when none is queued).
    static void queueButton(int index);
    // The texts of the boxes shown in test mode, oldest first; taking them clears the record.
    static QStringList takeShown();
    static int beeps();
};

// File and folder choices of the program go through here, so that tests can set the next
// chosen name. A cancelled choice gives an empty text.
class FileChooser {
public:
    static QString openFile(QWidget* parent, const QString& caption, const QString& folder,
                            const QString& filter);
    // confirmOverwrite false: choosing an existing file is not questioned here, as the caller
    // asks what to do with it.
    static QString saveFile(QWidget* parent, const QString& caption, const QString& folder,
                            const QString& filter, bool confirmOverwrite = true);
    static QString folder(QWidget* parent, const QString& caption, const QString& start);

    // Test mode: the next choice returns this text (an empty text for a cancelled one).
    static void queueChoice(const QString& path);
};

} // namespace zovi
