// Measures the start-up of the program on a database: from the start of main() to the main
// window filled (the chooser answered at once, the first layout done). Runs the real window
// headless several times in fresh processes and prints the median.
//
// Usage: bench_startup [database folder]   (the program folder's Databases/Example/ if omitted)
#include "app/mainwindow.h"
#include "core/locale.h"
#include "core/messages.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/wait.h"
#include "databases/chooserwindow.h"
#include "store/datamodules.h"
#include "timing.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <vector>

namespace {

// One start in this process; prints the milliseconds and exits.
int RunOnce(int argc, char** argv, const QString& folder) {
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    setlocale(LC_NUMERIC, "C");
    zovi::AppLocale::loadFromSystem();
    QTemporaryDir program;
    // A program folder of its own whose catalogue names only the measured database.
    const QString real = zovi::ProgramFolder::path();
    for (const char* dir : {"Template", "Report", "Skins"}) {
        QDir().mkpath(program.filePath(QString::fromLatin1(dir)));
        const QDir from(QDir(real).filePath(QString::fromLatin1(dir)));
        for (const QString& f : from.entryList(QDir::Files))
            QFile::copy(from.filePath(f), program.filePath(QString::fromLatin1(dir) + u'/' + f));
    }
    QFile::copy(QDir(real).filePath(QStringLiteral("lang.ini")),
                program.filePath(QStringLiteral("lang.ini")));
    QFile bases(program.filePath(QStringLiteral("bases.ini")));
    if (!bases.open(QIODevice::WriteOnly))
        return 1;
    bases.write("Bench*" + QFile::encodeName(folder) + "/\n");
    bases.close();
    zovi::ProgramFolder::set(program.path());
    QTemporaryDir settings;
    zovi::Settings::setTestPath(settings.path());
    zovi::Settings::writeBool(QStringLiteral("showcopy"), false);
    zovi::Messages::setTestMode(true);

    zovi::Tdata data;
    zovi::TCDdata cd;
    zovi::Tstart_form window(data, cd);
    QTimer poll;
    qint64 elapsed = -1;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (window.chooser()->isVisible()) {
            window.chooser()->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
        } else if (window.databaseChosen() && !window.waitWindow()->isVisible() && elapsed < 0) {
            elapsed = clock.elapsed();
            app.exit(0);
        }
    });
    poll.start(1);
    QTimer::singleShot(30000, &app, [&] {
        std::fprintf(stderr, "no filled window after 30 s; messages: %s\n",
                     qPrintable(zovi::Messages::takeShown().join(QStringLiteral(" | "))));
        app.exit(1);
    });
    window.show();
    app.exec();
    std::printf("%lld\n", static_cast<long long>(elapsed));
    return elapsed < 0 ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && qstrcmp(argv[1], "--once") == 0)
        return RunOnce(argc, argv, QString::fromLocal8Bit(argv[2]));

    QCoreApplication app(argc, argv);
    const QString folder = argc >= 2
                               ? QString::fromLocal8Bit(argv[1])
                               : zovi::ProgramFolder::file(QStringLiteral("Databases/Example"));
    std::vector<double> runs;
    for (int i = 0; i < 7; ++i) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--once"), folder});
        if (!child.waitForFinished(120000) || child.exitCode() != 0) {
            std::fprintf(stderr, "a start failed: %s\n", child.readAllStandardError().constData());
            return 1;
        }
        runs.push_back(QString::fromUtf8(child.readAllStandardOutput()).trimmed().toDouble());
    }
    zovi::bench::Report(QStringLiteral("start-up to the filled main window on %1")
                            .arg(QDir::toNativeSeparators(folder)),
                        runs);
    return 0;
}
