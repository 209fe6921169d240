#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <vector>

namespace zovi::bench {

// Milliseconds that work takes, on the steady clock.
double MillisecondsOf(const std::function<void()>& work);

// The milliseconds of work run `runs` times in a row.
std::vector<double> TimeRuns(int runs, const std::function<void()>& work);

// The middle value (the mean of the two middle ones for an even count); 0 for none.
double Median(std::vector<double> values);

// Prints one line "what: median 12.3 ms (runs: 12.1, 12.3, 14.0)" and flushes it.
void Report(const QString& what, const std::vector<double>& runs);

// Runs this program again once per size, with the size and the arguments, one after the other, its
// output passed through: a ledger measured after another one in the same process ran up to three
// times slower, on the memory the first one left behind. Returns 0 when every run ended normally
// with 0, else 1 at the first that did not.
int RunEachInItsOwnProcess(const QList<int>& sizes, const QStringList& arguments = {});

// The count a bench is given as its first argument, or fallback when it has none; 0 when the
// argument is not a positive number (the bench then prints its usage).
int CountArgument(int argc, char** argv, int fallback);

} // namespace zovi::bench
