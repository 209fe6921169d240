// Makes the picture of the main window that the README shows: the real main window, started
// offscreen on a copy of the program folder's example database as a user starts it (the chooser
// answered with its "OK"), maximized on an offscreen screen of a fixed size, and grabbed into a
// PNG file once it has filled its grid and balances. The balance panel is the extended one
// (Settings > Interface > Arrangement), which lists the balance of every currency.
//
// Usage: zovi_screenshot [--program PROGRAM_FOLDER] [--size WIDTHxHEIGHT] OUTPUT.png
// The program folder is the build's (build/zovi) unless given; its Databases/Example/ is copied
// into a temporary folder with the files the program reads, so that neither the folder nor the
// user's settings change. The size is 1280x800 unless given; it is the size of the offscreen
// screen, so the window is laid out at that size as a maximized window is.
#include "app/appsetup.h"
#include "app/mainwindow.h"
#include "core/locale.h"
#include "core/messages.h"
#include "core/paths.h"
#include "core/settings.h"
#include "databases/chooserwindow.h"
#include "store/datamodules.h"
#include "store/error.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

// A start that has not filled its window by then failed.
constexpr int kGiveUpMs = 120000;
// How long the filled window is left to settle (deferred start-up steps, the resize) before it
// is grabbed.
constexpr int kSettleMs = 1500;

void Usage() {
    std::fprintf(stderr, "usage: zovi_screenshot [--program PROGRAM_FOLDER] "
                         "[--size WIDTHxHEIGHT] OUTPUT.png\n");
}

// Copies the file or folder from into to, folders with everything inside.
bool CopyTree(const QString& from, const QString& to) {
    const QFileInfo source(from);
    if (source.isFile()) {
        QDir().mkpath(QFileInfo(to).path());
        QFile::remove(to);
        return QFile::copy(from, to);
    }
    if (!source.isDir() || !QDir().mkpath(to))
        return false;
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = to + u'/' + QDir(from).relativeFilePath(path);
        if (it.fileInfo().isDir() ? !QDir().mkpath(target) : !QFile::copy(path, target))
            return false;
    }
    return true;
}

// A program folder of its own in root: the files the program reads beside itself, a copy of the
// example database and a catalogue that names only that copy.
bool MakeProgramFolder(const QString& source, const QString& program) {
    const QString example = source + u"/Databases/Example"_s;
    if (!QFileInfo(example + u"/data.un"_s).isFile()) {
        std::fprintf(stderr, "%s holds no database; build the target zovi_example first\n",
                     qPrintable(QDir::toNativeSeparators(example)));
        return false;
    }
    for (const QString& name : {u"lang.ini"_s, u"lang"_s, u"Help.html"_s, u"welcome.bmp"_s,
                                u"Skins"_s, u"Template"_s, u"ExTemplate"_s, u"Report"_s}) {
        const QString from = source + u'/' + name;
        if (QFileInfo::exists(from) && !CopyTree(from, program + u'/' + name)) {
            std::fprintf(stderr, "cannot copy %s\n", qPrintable(QDir::toNativeSeparators(from)));
            return false;
        }
    }
    QDir().mkpath(program + u"/CFT"_s);
    const QString database = program + u"/Databases/Example"_s;
    if (!CopyTree(example, database)) {
        std::fprintf(stderr, "cannot copy the example database\n");
        return false;
    }
    QFile bases(program + u"/bases.ini"_s);
    if (!bases.open(QIODevice::WriteOnly))
        return false;
    bases.write("Example*" + QFile::encodeName(database) + "/\n");
    return true;
}

// Calls check every few milliseconds until it is true; false when it stays false until the
// time is up.
bool WaitFor(const std::function<bool()>& check, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!check()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

void Settle(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

int MakeScreenshot(const QString& source, const QSize& size, const QString& output) {
    QTemporaryDir root;
    const QString program = root.filePath(u"program"_s);
    if (!root.isValid() || !MakeProgramFolder(source, program))
        return 1;
    // The program takes the working folder for its first defaults (the skin, the backup folder).
    QDir::setCurrent(program);
    zovi::ProgramFolder::set(program);
    zovi::Settings::setTestPath(root.filePath(u"settings"_s));
    zovi::settings::valuePanelCompact.write(false);
    zovi::Messages::setTestMode(true);

    zovi::LedgerTables data;
    zovi::DebtTables cd;
    zovi::MainWindow window(data, cd);
    window.resize(size);
    // The user's answer to the chooser: its "OK" on the one database of the catalogue.
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, &window, [&window] {
        if (window.chooser()->isVisible())
            window.chooser()->findChild<QPushButton*>(u"Button1"_s)->click();
    });
    answerer.start(20);
    window.show();

    auto* grid = window.findChild<QTableView*>(u"Grid1"_s);
    // Filled: the database is open, the grid has its rows and the first layout (which maximizes
    // the window) has run.
    const bool filled = WaitFor(
        [&] {
            return window.databaseChosen() && grid->model()->rowCount() > 0 && window.isMaximized();
        },
        kGiveUpMs);
    answerer.stop();
    const QStringList shown = zovi::Messages::takeShown();
    if (!shown.isEmpty()) {
        std::fprintf(stderr, "messages shown: %s\n", qPrintable(shown.join(u" | "_s)));
        return 1;
    }
    if (!filled) {
        std::fprintf(stderr, "the main window did not fill its grid\n");
        return 1;
    }
    // On a platform whose screen has a size of its own, the picture still has the size asked
    // for.
    if (window.size() != size) {
        window.showNormal();
        window.resize(size);
    }
    Settle(kSettleMs);

    const QImage image = window.grab().toImage();
    if (image.size() != size) {
        std::fprintf(stderr, "the window is %dx%d, not %dx%d\n", image.width(), image.height(),
                     size.width(), size.height());
        return 1;
    }
    QDir().mkpath(QFileInfo(output).absolutePath());
    if (!image.save(output, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(QDir::toNativeSeparators(output)));
        return 1;
    }
    std::printf("%s: %dx%d\n", qPrintable(QDir::toNativeSeparators(output)), image.width(),
                image.height());
    return 0;
}

// The offscreen platform with one screen of size, described in a file in folder.
bool UseOffscreenScreen(const QString& folder, const QSize& size) {
    QFile config(folder + u"/screen.json"_s);
    if (!config.open(QIODevice::WriteOnly))
        return false;
    config.write(u"{\"screens\": [{\"name\": \"screen\", \"x\": 0, \"y\": 0, \"width\": %1, "
                 u"\"height\": %2, \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}\n"_s
                     .arg(size.width())
                     .arg(size.height())
                     .toUtf8());
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config.fileName()));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    // The arguments are read before the application object, which the size of the screen
    // must precede.
    QString source = QStringLiteral(ZOVI_SCREENSHOT_PROGRAM_DIR);
    QSize size(1280, 800);
    QString output;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == u"--program"_s && i + 1 < argc) {
            source = QString::fromLocal8Bit(argv[++i]);
        } else if (arg == u"--size"_s && i + 1 < argc) {
            const QRegularExpressionMatch m =
                QRegularExpression(u"^(\\d+)x(\\d+)$"_s).match(QString::fromLocal8Bit(argv[++i]));
            if (!m.hasMatch()) {
                Usage();
                return 2;
            }
            size = QSize(m.captured(1).toInt(), m.captured(2).toInt());
        } else if (output.isEmpty() && !arg.startsWith(u'-')) {
            output = QFileInfo(arg).absoluteFilePath();
        } else {
            Usage();
            return 2;
        }
    }
    if (output.isEmpty() || size.isEmpty()) {
        Usage();
        return 2;
    }
    QTemporaryDir screen;
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen") {
        if (!screen.isValid() || !UseOffscreenScreen(screen.path(), size))
            return 1;
    }

    zovi::Application app(argc, argv);
    zovi::SetUpApplication();
    // The same numbers and dates on every machine.
    zovi::AppLocale::set(u'.', u"dd.MM.yyyy"_s);
    try {
        return MakeScreenshot(QFileInfo(source).absoluteFilePath(), size, output);
    } catch (const zovi::StoreError& e) {
        std::fprintf(stderr, "store error: %s\n", qPrintable(e.message()));
        return 1;
    }
}
