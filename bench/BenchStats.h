#pragma once

// Timing and the figures the benchmarks print, one line each:
//   name: median (min–max) unit   [= ratio × floor]

#include <QString>

#include <chrono>
#include <vector>

namespace bench {

// Repeated measurements of one thing.
class Figure
{
public:
    void add(double value) { m_values.push_back(value); }
    bool empty() const { return m_values.empty(); }
    double median() const;
    double min() const;
    double max() const;

private:
    std::vector<double> m_values;
};

// Milliseconds that fn takes.
template <class Fn> double timeMs(Fn &&fn)
{
    const auto start = std::chrono::steady_clock::now();
    fn();
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(end - start).count();
}

// Prints the figure; with a floor, also its median's ratio to the floor's median.
void print(const QString &name, const Figure &figure, const QString &unit,
           const Figure *floor = nullptr);

// Repetitions scaled by KX_BENCH_REPS_SCALE (a factor, 1 when unset), never below 3.
int reps(int wanted);

} // namespace bench
