#pragma once

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

} // namespace zovi::bench
