#include "BenchStats.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace bench {

double Figure::median() const
{
    std::vector<double> v = m_values;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    if (n == 0)
        return 0;
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Figure::min() const
{
    return m_values.empty() ? 0 : *std::min_element(m_values.begin(), m_values.end());
}

double Figure::max() const
{
    return m_values.empty() ? 0 : *std::max_element(m_values.begin(), m_values.end());
}

void print(const QString &name, const Figure &figure, const QString &unit, const Figure *floor)
{
    const int decimals = figure.median() < 10 ? 2 : 1;
    QString line = QStringLiteral("%1 %2 (%3–%4) %5")
                       .arg(name + QLatin1Char(':'), -44)
                       .arg(figure.median(), 8, 'f', decimals)
                       .arg(figure.min(), 0, 'f', decimals)
                       .arg(figure.max(), 0, 'f', decimals)
                       .arg(unit);
    if (floor && !floor->empty() && floor->median() > 0)
        line += QStringLiteral("  = %1 × floor").arg(figure.median() / floor->median(), 0, 'f', 2);
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

int reps(int wanted)
{
    double scale = 1;
    if (const char *s = std::getenv("KX_BENCH_REPS_SCALE"))
        scale = std::atof(s);
    if (scale <= 0)
        scale = 1;
    const int n = int(wanted * scale + 0.5);
    // An odd count, so that the median is one of the measurements.
    return std::max(3, n | 1);
}

} // namespace bench
