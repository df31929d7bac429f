#include "foundation/random.h"

#include <algorithm>

std::mt19937& gf_randomGenerator()
{
    thread_local std::mt19937 generator{std::random_device{}()};
    return generator;
}

double gf_randomizeByPercent(double v, double p)
{
    if (!(p > 0.0))
        return v;
    const double sign = (gf_randomGenerator()() & 1u) == 0 ? 1.0 : -1.0;
    return v + sign * (v * p / 100.0);
}

void gf_shuffle(std::vector<std::string>& items)
{
    if (items.size() >= 2)
        std::shuffle(items.begin(), items.end(), gf_randomGenerator());
}
