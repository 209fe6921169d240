// Measures the start-up of the program: the real main window, run headless in a fresh process
// for every start, the database chooser answered as soon as it is painted. Each start gives the
// milliseconds from the start of main() until
//   - the main window is first painted,
//   - the chooser is painted (it is then answered at once),
//   - the first filled grid: its rows in the grid model, then the grid painted with them,
//   - the program is idle: the end of the last piece of start-up work, the deferred steps of
//     single-shot timers and queued calls included, after which the event loop stays 300 ms
//     without work;
// and the CPU time of the process until idle (the loading of the libraries before main()
// included) and its peak resident memory. Prints the medians of several starts after one start that
// is not counted. It checks nothing and is not a test.
//
// Idle is seen from outside the window: the event dispatcher says when the loop is about to
// wait, and QApplication::notify times every event. The stretch between two waits is work
// unless all it delivered were timer ticks of under 1 ms of CPU time after which their timer
// still runs (polling, such as a timer that refreshes buttons every 10 ms); a tick that ends its
// timer (a single-shot step) is work however short.
//
// Usage: bench_startup [--distinct] [--encrypted] [--password TEXT] [entries...]
//                                       generated ledgers of 10000 and 100000 entries (or the
//                                       given sizes), each generated once into a temporary
//                                       folder and measured in a process of its own; with
//                                       --distinct every entry's texts are its own; with
//                                       --encrypted the generated database's tables are then
//                                       encrypted with the password (TEXT, "bench" by default),
//                                       which the start gives in the password window
//        bench_startup [--password TEXT] DATABASE_FOLDER
//                                       an existing database (with its password)
// With ZOVI_BENCH_TRACE=1 every start writes its pieces of work to stderr.
#include "benchapp.h"
#include "generator.h"
#include "timing.h"

#include "app/mainwindow.h"
#include "core/clock.h"
#include "core/locale.h"
#include "core/messages.h"
#include "core/paths.h"
#include "core/settings.h"
#include "databases/chooserwindow.h"
#include "databases/passworddialog.h"
#include "databases/passwordhash.h"
#include "databases/rekey.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/template.h"

#include <QAbstractEventDispatcher>
#include <QAbstractItemModel>
#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QTimerEvent>
#include <QWindow>
#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <vector>

using namespace Qt::StringLiterals;
using zovi::bench::Report;

namespace {

constexpr int kRuns = 7;
// How long the loop must stay without work for the program to count as idle.
constexpr double kQuietMs = 300;
// Timer ticks that take less CPU time than this, after which their timer still runs, are
// polling, not work.
constexpr double kPollingTickMs = 1;
// The trace names the events of at least this length and counts the others.
constexpr double kTracedEventMs = 0.5;
// A start that is not idle by then failed.
constexpr int kGiveUpMs = 180000;

using SteadyClock = std::chrono::steady_clock;
SteadyClock::time_point g_mainStarted;

double SinceMain() {
    return std::chrono::duration<double, std::milli>(SteadyClock::now() - g_mainStarted).count();
}

double CpuMs(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// What one start measured, in milliseconds since main() began; -1 for what did not happen.
struct Figures {
    double shown = -1;
    double chooser = -1;
    double gridFilled = -1;
    double gridPainted = -1;
    double idle = -1;
    double cpu = -1;
};

// The application of one measured start: times every event and watches the waits of the event
// loop, and answers the chooser.
class WatchedApplication : public QApplication {
public:
    WatchedApplication(int& argc, char** argv) : QApplication(argc, argv) {
        m_trace = !qEnvironmentVariableIsEmpty("ZOVI_BENCH_TRACE");
        connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
                [this] { aboutToWait(); });
        m_check.setSingleShot(true);
        m_check.setTimerType(Qt::PreciseTimer);
        connect(&m_check, &QTimer::timeout, this, [this] { checkIdle(); });
        m_giveUp.setSingleShot(true);
        connect(&m_giveUp, &QTimer::timeout, this, [this] {
            std::fprintf(stderr, "not idle after %d s; messages: %s\n", kGiveUpMs / 1000,
                         qPrintable(zovi::Messages::takeShown().join(u" | "_s)));
            QCoreApplication::exit(1);
        });
        m_own = {&m_check, &m_giveUp};
    }

    // Starts watching the start-up of window (constructed, not shown yet).
    void watch(zovi::MainWindow* window) {
        m_window = window;
        m_grid = window->findChild<QTableView*>(u"Grid1"_s);
        connect(m_grid->model(), &QAbstractItemModel::modelReset, this, [this] {
            if (m_figures.gridFilled < 0 && m_grid->model()->rowCount() > 0)
                m_figures.gridFilled = SinceMain();
        });
        m_check.start(int(kQuietMs));
        m_giveUp.start(kGiveUpMs);
    }

    const Figures& figures() const { return m_figures; }
    // The password the start gives in the password window; empty for none.
    void setPassword(const QString& password) { m_password = password; }

    bool notify(QObject* receiver, QEvent* event) override {
        if (m_window == nullptr || receiver == nullptr)
            return QApplication::notify(receiver, event);
        const double begin = SinceMain();
        if (m_waiting) {
            m_waiting = false;
            m_spanBegin = begin;
        }
        const QEvent::Type type = event->type();
        const bool own = m_own.contains(receiver);
        const bool windowEvent = receiver->isWindowType();
        const bool timer = type == QEvent::Timer;
        QPointer<QObject> timerOwner;
        int timerId = 0;
        double timerCpu = 0;
        if (timer && !own) {
            timerOwner = receiver;
            timerId = static_cast<QTimerEvent*>(event)->timerId();
            timerCpu = CpuMs(CLOCK_THREAD_CPUTIME_ID);
        }
        QString what;
        // An event is listed in the trace when nothing around it was already running when
        // this stretch of work began.
        const bool listed = m_trace && !own && (m_begins.empty() || m_begins.back() < m_spanBegin);
        if (listed)
            what = describe(receiver, type);
        if (type == QEvent::Paint)
            notePaint(receiver);

        m_begins.push_back(begin);
        const bool result = QApplication::notify(receiver, event);
        m_begins.pop_back();

        const double end = SinceMain();
        if (windowEvent)
            windowEventDone(end);
        if (own)
            return result;
        // A tick is timed in CPU time: on a busy machine a short tick may wait long for the
        // processor.
        const bool polling = timer && timerOwner != nullptr &&
                             CpuMs(CLOCK_THREAD_CPUTIME_ID) - timerCpu < kPollingTickMs &&
                             timerStillRuns(timerOwner, timerId);
        if (polling) {
            ++m_pollingTicks;
        } else {
            m_spanWork = true;
            if (listed && end - begin >= kTracedEventMs)
                m_spanEvents << u"%1 %2"_s.arg(what, QString::number(end - begin, 'f', 1));
            else if (listed)
                ++m_spanShortEvents;
        }
        return result;
    }

private:
    static QString describe(QObject* receiver, QEvent::Type type) {
        QString text;
        QDebug(&text).nospace().noquote() << type;
        text += u' ' + QString::fromLatin1(receiver->metaObject()->className());
        if (!receiver->objectName().isEmpty())
            text += u'(' + receiver->objectName() + u')';
        return text;
    }

    static bool timerStillRuns(QObject* owner, int timerId) {
        const QList<QAbstractEventDispatcher::TimerInfo> timers =
            QAbstractEventDispatcher::instance()->registeredTimers(owner);
        for (const QAbstractEventDispatcher::TimerInfo& info : timers) {
            if (info.timerId == timerId)
                return true;
        }
        return false;
    }

    // A widget is painted inside an event of its window; the end of that event is the moment
    // the picture is complete.
    void notePaint(QObject* receiver) {
        if (receiver == m_window && m_figures.shown < 0)
            m_windowPainted = true;
        else if (receiver == m_window->chooser() && m_figures.chooser < 0)
            m_chooserPainted = true;
        else if (receiver == m_grid->viewport() && m_figures.gridPainted < 0 &&
                 m_grid->model()->rowCount() > 0)
            m_gridPainted = true;
    }

    void windowEventDone(double end) {
        if (m_windowPainted && m_figures.shown < 0)
            m_figures.shown = end;
        if (m_gridPainted && m_figures.gridPainted < 0)
            m_figures.gridPainted = end;
        if (m_chooserPainted && m_figures.chooser < 0) {
            m_figures.chooser = end;
            // The user's answer: the password, as typed earlier in the run, and the chooser's
            // "OK", from the event loop.
            if (!m_password.isEmpty()) {
                if (auto* dialog = m_window->findChild<zovi::PasswordDialog*>())
                    dialog->passwordField()->setText(m_password);
            }
            QPushButton* ok = m_window->chooser()->findChild<QPushButton*>(u"Button1"_s);
            QMetaObject::invokeMethod(
                ok, [ok] { ok->click(); }, Qt::QueuedConnection);
        }
    }

    void aboutToWait() {
        if (m_waiting)
            return;
        m_waiting = true;
        if (!m_spanWork)
            return;
        m_spanWork = false;
        m_lastWorkEnd = SinceMain();
        m_cpuAtLastWork = CpuMs(CLOCK_PROCESS_CPUTIME_ID);
        if (m_trace) {
            if (m_spanShortEvents > 0)
                m_spanEvents
                    << u"%1 events under %2 ms"_s.arg(m_spanShortEvents).arg(kTracedEventMs);
            std::fprintf(stderr, "  work %.1f-%.1f ms: %s\n", m_spanBegin, m_lastWorkEnd,
                         qPrintable(m_spanEvents.join(u"; "_s)));
            m_spanEvents.clear();
            m_spanShortEvents = 0;
        }
    }

    void checkIdle() {
        if (m_figures.chooser >= 0 && !m_window->databaseChosen() && !m_spanWork &&
            SinceMain() - m_lastWorkEnd >= kQuietMs) {
            std::fprintf(stderr, "the chooser did not open the database; messages: %s\n",
                         qPrintable(zovi::Messages::takeShown().join(u" | "_s)));
            QCoreApplication::exit(1);
            return;
        }
        const bool started = m_window->databaseChosen() && m_figures.shown >= 0;
        // Inside an event other than this check, or after work in this same stretch, the
        // loop is not idle.
        if (!started || m_begins.size() > 1 || m_spanWork) {
            m_check.start(int(kQuietMs));
            return;
        }
        const double quiet = SinceMain() - m_lastWorkEnd;
        if (quiet < kQuietMs) {
            m_check.start(std::max(1, int(std::ceil(kQuietMs - quiet))));
            return;
        }
        m_figures.idle = m_lastWorkEnd;
        m_figures.cpu = m_cpuAtLastWork;
        if (m_trace)
            std::fprintf(stderr, "  idle since %.1f ms; %d polling ticks seen until %.1f ms\n",
                         m_lastWorkEnd, m_pollingTicks, SinceMain());
        QCoreApplication::exit(0);
    }

    zovi::MainWindow* m_window = nullptr;
    QTableView* m_grid = nullptr;
    QTimer m_check;
    QTimer m_giveUp;
    QSet<QObject*> m_own;
    bool m_trace = false;

    std::vector<double> m_begins; // the begin of every event being delivered, outermost first
    bool m_waiting = false;       // the loop waits and no event was delivered since
    double m_spanBegin = 0;       // where the current stretch between two waits began
    bool m_spanWork = false;      // whether it did work
    QStringList m_spanEvents;     // its outermost events, for the trace
    int m_spanShortEvents = 0;    // and how many more of them were too short to name
    int m_pollingTicks = 0;
    double m_lastWorkEnd = 0;
    double m_cpuAtLastWork = 0;

    QString m_password; // the password the start gives; empty for none
    bool m_windowPainted = false;
    bool m_chooserPainted = false;
    bool m_gridPainted = false;
    Figures m_figures;
};

// One start in this process; prints its figures on one line.
int RunOnce(int argc, char** argv, const QString& program, const QString& settings,
            const QString& password) {
    WatchedApplication app(argc, argv);
    app.setPassword(password);
    setlocale(LC_NUMERIC, "C");
    zovi::AppLocale::loadFromSystem();
    zovi::ProgramFolder::set(program);
    zovi::Settings::setTestPath(settings);
    zovi::Settings::writeBool(u"showcopy"_s, false);
    zovi::Messages::setTestMode(true);

    zovi::LedgerTables data;
    zovi::DebtTables cd;
    zovi::MainWindow window(data, cd);
    app.watch(&window);
    window.show();
    if (app.exec() != 0)
        return 1;
    if (zovi::bench::ExitCodeForShownMessages() != 0)
        return 1;
    const Figures& f = app.figures();
    if (f.gridFilled < 0 || f.gridPainted < 0) {
        std::fprintf(stderr, "no filled grid\n");
        return 1;
    }
    // The peak resident memory of the start, in MiB (ru_maxrss counts KiB on Linux).
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%.3f %.3f %.3f %.3f %.3f %.3f %.1f\n", f.shown, f.chooser, f.gridFilled,
                f.gridPainted, f.idle, f.cpu, double(usage.ru_maxrss) / 1024.0);
    return 0;
}

bool Copy(const QString& from, const QString& to) {
    QDir().mkpath(QFileInfo(to).path());
    return QFile::copy(from, to);
}

// A program folder of its own: the files the program reads beside itself and a catalogue that
// names only the measured database.
bool MakeProgramFolder(const QString& program, const QString& database) {
    QDir().mkpath(program);
    zovi::WritePrintTables(program);
    zovi::WriteTemplateFolder(program + u"/Template"_s);
    const QString resources = QStringLiteral(ZOVI_BENCH_RESOURCES);
    for (const QString& name :
         {u"lang.ini"_s, u"welcome.bmp"_s, u"Help.html"_s, u"Skins/Longhorn.sui"_s}) {
        if (!Copy(resources + u'/' + name, program + u'/' + name)) {
            std::fprintf(stderr, "cannot copy %s\n", qPrintable(name));
            return false;
        }
    }
    QFile bases(program + u"/bases.ini"_s);
    if (!bases.open(QIODevice::WriteOnly))
        return false;
    bases.write("Bench*" + QFile::encodeName(QDir(database).absolutePath()) + "/\n");
    return true;
}

// Starts the program on database once without counting it, then kRuns times, each in a fresh
// process sharing the settings of the first, and prints the medians.
int Measure(const QString& root, const QString& database, const QString& password) {
    const QString program = root + u"/program"_s;
    const QString settings = root + u"/settings"_s;
    QDir().mkpath(settings);
    if (!MakeProgramFolder(program, database))
        return 1;
    std::vector<double> shown, chooser, gridFilled, gridPainted, idle, cpu, memory;
    for (int run = 0; run <= kRuns; ++run) {
        if (!qEnvironmentVariableIsEmpty("ZOVI_BENCH_TRACE"))
            std::fprintf(stderr, "start %d%s:\n", run, run == 0 ? " (not counted)" : "");
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!env.contains(u"QT_QPA_PLATFORM"_s))
            env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        child.setProcessEnvironment(env);
        child.setWorkingDirectory(program);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {u"--once"_s, program, settings, password});
        if (!child.waitForFinished(kGiveUpMs + 60000) ||
            child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
            std::fprintf(stderr, "a start failed\n");
            return 1;
        }
        const QStringList values =
            QString::fromUtf8(child.readAllStandardOutput()).simplified().split(u' ');
        if (values.size() != 7)
            return 1;
        if (run == 0)
            continue;
        shown.push_back(values[0].toDouble());
        chooser.push_back(values[1].toDouble());
        gridFilled.push_back(values[2].toDouble());
        gridPainted.push_back(values[3].toDouble());
        idle.push_back(values[4].toDouble());
        cpu.push_back(values[5].toDouble());
        memory.push_back(values[6].toDouble());
    }
    Report(u"main window painted"_s, shown);
    Report(u"chooser painted (answered at once)"_s, chooser);
    Report(u"first filled grid: rows in the grid model"_s, gridFilled);
    Report(u"first filled grid: painted"_s, gridPainted);
    Report(u"idle: end of the last start-up work (%1 ms without work after it)"_s.arg(kQuietMs),
           idle);
    Report(u"CPU time of the process until idle"_s, cpu);
    std::printf("peak resident memory of the process until idle: median %.1f MiB\n",
                zovi::bench::Median(memory));
    return 0;
}

int MeasureGenerated(int entries, bool distinct, const QString& password) {
    QTemporaryDir root;
    const QString database = root.filePath(u"db"_s);
    std::printf("\n== start-up on a ledger of %d generated entries%s%s ==\n", entries,
                distinct ? " of distinct texts" : "",
                password.isEmpty() ? "" : ", its tables encrypted");
    std::fflush(stdout);
    {
        const QString program = root.filePath(u"generator"_s);
        zovi::WritePrintTables(program);
        zovi::ProgramFolder::set(program);
        zovi::Settings::setTestPath(root.filePath(u"generator-settings"_s));
        zovi::bench::GenerateTimed(database, program, entries, distinct);
        // Encrypted as the database dialog does it: the password's keyed form in data.un and
        // every table file rewritten under its key.
        if (!password.isEmpty()) {
            zovi::Rekey::Change change;
            change.stored = zovi::PasswordHash::makeKeyed(password, &change.newKey);
            zovi::Rekey::apply(database, change);
        }
    }
    return Measure(root.path(), database, password);
}

} // namespace

int main(int argc, char** argv) {
    g_mainStarted = SteadyClock::now();
    if (argc >= 4 && qstrcmp(argv[1], "--once") == 0)
        return RunOnce(argc, argv, QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                       argc >= 5 ? QString::fromLocal8Bit(argv[4]) : QString());

    QCoreApplication app(argc, argv);
    setlocale(LC_NUMERIC, "C");
    zovi::AppLocale::set(u',', u"dd.MM.yyyy"_s);
    QList<int> sizes;
    QString database;
    bool distinct = false;
    bool encrypted = false;
    QString password;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        bool ok = false;
        const int entries = arg.toInt(&ok);
        if (ok && entries > 0)
            sizes << entries;
        else if (arg == u"--distinct"_s)
            distinct = true;
        else if (arg == u"--encrypted"_s)
            encrypted = true;
        else if (arg == u"--password"_s && i + 1 < args.size() && !args.at(i + 1).isEmpty())
            password = args.at(++i);
        else if (database.isEmpty() && QDir(arg).exists())
            database = arg;
        else
            sizes << 0;
    }
    if (sizes.contains(0) || (!database.isEmpty() && (!sizes.isEmpty() || distinct || encrypted))) {
        std::fprintf(stderr, "usage: bench_startup [--distinct] [--encrypted] [--password TEXT] "
                             "[entries...] | bench_startup [--password TEXT] DATABASE_FOLDER\n");
        return 2;
    }
    if (encrypted && password.isEmpty())
        password = u"bench"_s;
    // Generated databases are encrypted only when asked; an existing one is given its password.
    if (database.isEmpty() && !encrypted)
        password.clear();
    try {
        if (!database.isEmpty()) {
            QTemporaryDir root;
            std::printf("== start-up on %s ==\n", qPrintable(QDir::toNativeSeparators(database)));
            std::fflush(stdout);
            return Measure(root.path(), database, password);
        }
        if (sizes.isEmpty())
            sizes = {10000, 100000};
        if (sizes.size() == 1)
            return MeasureGenerated(sizes.first(), distinct, password);
        QStringList options;
        if (distinct)
            options << u"--distinct"_s;
        if (encrypted)
            options << u"--encrypted"_s << u"--password"_s << password;
        return zovi::bench::RunEachInItsOwnProcess(sizes, options);
    } catch (const zovi::StoreError& e) {
        std::fprintf(stderr, "store error: %s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
