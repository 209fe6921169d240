#include "timing.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <cstdio>

namespace zovi::bench {

double MillisecondsOf(const std::function<void()>& work) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::vector<double> TimeRuns(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(MillisecondsOf(work));
    return times;
}

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void Report(const QString& what, const std::vector<double>& runs) {
    QStringList texts;
    for (double r : runs)
        texts << QString::number(r, 'f', 1);
    std::printf("%s: median %.1f ms (runs: %s)\n", qPrintable(what), Median(runs),
                qPrintable(texts.join(QStringLiteral(", "))));
    std::fflush(stdout);
}

int RunEachInItsOwnProcess(const QList<int>& sizes, const QStringList& arguments) {
    for (int entries : sizes) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    QStringList{QString::number(entries)} + arguments);
        if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit ||
            child.exitCode() != 0)
            return 1;
    }
    return 0;
}

int CountArgument(int argc, char** argv, int fallback) {
    if (argc < 2)
        return fallback;
    bool ok = false;
    const int count = QString::fromLocal8Bit(argv[1]).toInt(&ok);
    return ok && count > 0 ? count : 0;
}

} // namespace zovi::bench
