// Every window of the program in each shipped language, walked as a user finds them: the
// chooser, the main window with each page and every menu, every window the menus open and the
// windows those open in turn, and the program's message boxes. No visible text may be in the
// other language's script: the English interface shows no Cyrillic letter, the Russian one no
// Latin word, save the user's own data and the few words that are the same in both languages.
#include "core/wait.h"
#include "mainwindowsession.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCalendarWidget>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QRegularExpression>
#include <QSet>
#include <QTabBar>
#include <QTabWidget>

using namespace zovi;
using namespace zovi::test;
using namespace Qt::StringLiterals;

namespace {

// Whether w is a calendar or a part of one.
bool InsideCalendar(const QObject* w) {
    for (; w; w = w->parent()) {
        if (qobject_cast<const QCalendarWidget*>(w))
            return true;
    }
    return false;
}

// The texts a user sees in window and its controls (shown or on a page not shown yet), each as
// "control: text", with the mnemonic marks and the mark-up of rich texts taken out.
QStringList VisibleTexts(QWidget* window) {
    QStringList texts;
    auto add = [&texts](const QObject* where, QString text) {
        static const QRegularExpression markup(uR"(<[^>]*>|&nbsp;)"_s);
        text.remove(markup).remove(u'&');
        if (!text.trimmed().isEmpty())
            texts << where->objectName() + u": "_s + text;
    };
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* w : widgets) {
        // A window of its own (a dialog the window owns) is walked when it is shown; the
        // window's menus are part of it.
        if (w->window() != window && !qobject_cast<QMenu*>(w->window()))
            continue;
        // Qt's own controls inside ours (the scroll arrows of a tab bar, the calendar's month
        // names, a folder tree's heading) speak the language of Qt's translations.
        if (w->objectName().startsWith(u"qt_"_s) || w->objectName().startsWith(u"Scroll"_s) ||
            InsideCalendar(w) ||
            (qobject_cast<QHeaderView*>(w) &&
             qobject_cast<QFileSystemModel*>(static_cast<QHeaderView*>(w)->model())))
            continue;
        if (w->isWindow())
            add(w, w->windowTitle());
        add(w, w->toolTip());
        add(w, w->accessibleName());
        for (const QAction* a : w->actions()) {
            add(a, a->text());
            add(a, a->toolTip());
        }
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            add(b, b->text());
        else if (auto* l = qobject_cast<QLabel*>(w))
            add(l, l->text());
        else if (auto* g = qobject_cast<QGroupBox*>(w))
            add(g, g->title());
        else if (auto* m = qobject_cast<QMenu*>(w))
            add(m, m->title());
        else if (auto* e = qobject_cast<QLineEdit*>(w))
            add(e, e->placeholderText());
        else if (auto* c = qobject_cast<QComboBox*>(w); c && !c->isEditable()) {
            for (const QString& item : Items(c))
                add(c, item);
        } else if (auto* t = qobject_cast<QTabBar*>(w)) {
            for (int i = 0; i < t->count(); ++i) {
                add(t, t->tabText(i));
                add(t, t->tabToolTip(i));
            }
        } else if (auto* h = qobject_cast<QHeaderView*>(w); h && h->model()) {
            for (int i = 0; i < h->count(); ++i) {
                if (!h->isSectionHidden(i))
                    add(h->parentWidget(), h->model()->headerData(i, h->orientation()).toString());
            }
        } else if (auto* list = qobject_cast<QListWidget*>(w)) {
            for (int i = 0; i < list->count(); ++i)
                add(list, list->item(i)->text());
        }
    }
    return texts;
}

// The words that read the same in both languages: the program's name, the kinds of files by
// their usual short names, the library names of the about box, and the keys of shortcuts.
const QSet<QString>& SameInBothLanguages() {
    static const QSet<QString> words{u"Zovi"_s,  u"PNG"_s, u"SVG"_s,   u"BMP"_s,
                                     u"CSV"_s,   u"QIF"_s, u"OFX"_s,   u"PDF"_s,
                                     u"dBase"_s, u"dbf"_s, u"Qt"_s,    u"SQLite"_s,
                                     u"Ctrl"_s,  u"Alt"_s, u"Shift"_s, u"Backspace"_s};
    return words;
}

// The texts of the other language's script: with english, any text with a Cyrillic letter;
// otherwise any text with a Latin word that is neither the user's (userWords) nor the same in
// both languages. A single letter is no word: the operands A and B of the calculator, a
// currency's sign.
QStringList OtherScript(const QStringList& texts, bool english, const QSet<QString>& userWords) {
    static const QRegularExpression latinWord(uR"([A-Za-z]{2,})"_s);
    QStringList wrong;
    for (const QString& text : texts) {
        const QString shown = text.mid(text.indexOf(u": "_s) + 2);
        bool other = false;
        if (english) {
            other = std::any_of(shown.begin(), shown.end(),
                                [](QChar c) { return c.script() == QChar::Script_Cyrillic; });
        } else {
            for (const QRegularExpressionMatch& m : latinWord.globalMatch(shown)) {
                const QString word = m.captured();
                if (!userWords.contains(word) && !SameInBothLanguages().contains(word))
                    other = true;
            }
        }
        if (other)
            wrong << text;
    }
    return wrong;
}

} // namespace

class TestWindowTexts : public MainWindowSession {
    Q_OBJECT

    // The words of the test's own data: accounts, groups, currencies and the entry.
    QSet<QString> m_userWords;
    // Texts of the other script, as "window: control: text".
    QStringList m_wrong;
    bool m_english = true;
    int m_walked = 0; // the windows walked

    void check(const QString& window, const QStringList& texts) {
        for (const QString& text : OtherScript(texts, m_english, m_userWords))
            m_wrong << window + u": "_s + text;
    }

    // Whether a window belongs to Qt's own dialogs, which Qt's translations cover.
    static bool QtsOwn(const QWidget* w) {
        return qobject_cast<const QFileDialog*>(w) || qobject_cast<const QColorDialog*>(w) ||
               qobject_cast<const QPrintDialog*>(w);
    }

    // Checks every window besides the main window that is shown by run, and the ones each of
    // them opens by its buttons named in opens (window object name to button names), then
    // closes it.
    void walk(const QString& command, const std::function<void()>& run,
              const QHash<QString, QStringList>& opens = {}) {
        QSet<QWidget*> seen;
        QList<QPointer<QWidget>> windows; // the ones seen, some deleting themselves on close
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w == m_window.get() || !w->isVisible() || !w->isEnabled() ||
                    qobject_cast<WaitWindow*>(w))
                    continue;
                if (!seen.contains(w) && !QtsOwn(w)) {
                    seen.insert(w);
                    windows << w;
                    check(command + u" > "_s + w->objectName(), VisibleTexts(w));
                    for (const QString& button : opens.value(w->objectName())) {
                        if (auto* b = w->findChild<QAbstractButton*>(button)) {
                            QTimer::singleShot(0, b, &QAbstractButton::click);
                            return;
                        }
                    }
                }
                if (auto* d = qobject_cast<QDialog*>(w))
                    d->reject();
                else
                    w->close();
            }
        });
        poll.start(5);
        // Every command runs its windows modally: they are all closed when it returns.
        run();
        QVERIFY2(std::none_of(windows.begin(), windows.end(),
                              [](const QPointer<QWidget>& w) { return w && w->isVisible(); }),
                 qPrintable(command));
        m_walked += int(seen.size());
        check(command + u" > messages"_s, Messages::takeShown());
    }

private Q_SLOTS:
    void init() {
        SetTestLocale();
        // The message boxes are titled with the program's name, as the program sets it.
        QApplication::setApplicationDisplayName(u"Zovi"_s);
    }
    void cleanup() {
        CloseDialogs();
        sessionCleanup();
    }

    void everyWindowInOneScript_data() { AddShippedLanguageRows(); }
    void everyWindowInOneScript() {
        QFETCH(QString, language);
        m_english = language == u"lang.ini"_s;
        m_wrong.clear();
        m_walked = 0;
        sessionInit();
        UseShippedLanguage(*m_db, language);
        prepare([](LedgerTables& data) {
            FillClassifiers(data);
            AddEntry(data, u"Cheese"_s, u"R"_s, -5, u"Food"_s);
        });
        for (const char* word : {"Wallet", "Bank", "Dollar", "Rouble", "Food", "Milk", "Bread",
                                 "car", "Salary", "Cheese", "Test"})
            m_userWords << QString::fromLatin1(word);

        QStringList chooser;
        start(true, [&chooser](ChooserWindow* window) {
            chooser = VisibleTexts(window);
            Click(window, "Button1");
        });
        check(u"chooser"_s, chooser);

        // The main window with each of its pages shown, with its menus.
        auto* pages = Child<QTabWidget>(m_window.get(), "Page");
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            check(u"main window page %1"_s.arg(page), VisibleTexts(m_window.get()));
        }
        pages->setCurrentIndex(0);

        // Every command of the menus that opens a window; Help opens the help in a browser.
        const QHash<QString, QHash<QString, QStringList>> nested{
            {u"Users"_s, {{u"Tusers"_s, {u"Button2"_s}}}},
            {u"GroupsCharges"_s, {{u"TVidRashod"_s, {u"Button1"_s}}}},
            {u"Currency"_s, {{u"TNastr"_s, {u"AddButton"_s}}}},
        };
        // The commands of a page (the debts' and the charts') are on while it is shown.
        QSet<QString> walked;
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            for (QMenu* menu : m_window->menuBar()->findChildren<QMenu*>()) {
                for (QAction* a : menu->actions()) {
                    const QString name = a->objectName();
                    if (a->menu() || a->isSeparator() || !a->isEnabled() || name == u"Help"_s ||
                        walked.contains(name))
                        continue;
                    walked << name;
                    walk(
                        name, [a] { a->trigger(); }, nested.value(name));
                }
            }
        }
        pages->setCurrentIndex(0);

        // The name of a new preset, asked from the extended filter page.
        auto* extended = Child<QWidget>(m_window.get(), "TabSheetExtended");
        walk(u"save preset"_s, [extended] { Click(extended, "Button9"); });

        // The message boxes: a question with Yes and No, an error with OK.
        Messages::setTestMode(false);
        walk(u"confirmation"_s, [this] { Messages::confirm(m_window.get(), u"?"_s); });
        walk(u"error"_s, [this] { Messages::error(m_window.get(), u"!"_s); });
        Messages::setTestMode(true);

        QVERIFY2(m_walked >= 20, qPrintable(QString::number(m_walked)));
        m_wrong.removeDuplicates();
        for (const QString& text : std::as_const(m_wrong))
            qInfo("%s", qPrintable(text));
        QVERIFY2(m_wrong.isEmpty(), "texts of the other script, listed above");
    }
};

QTEST_MAIN(TestWindowTexts)
#include "tst_windowtexts.moc"
