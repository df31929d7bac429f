#include "traffic/class_tables.h"

#include <stdexcept>
#include <unordered_map>
#include <utility>

namespace {

constexpr std::pair<SizeClass, ClassValues> g_rows[] = {
    {SizeClass::Light, {0.15, 250, 250, 100, 200, -9.0, -15.0, 0.5, 5.0, 0.035, 40.0, 0.01, 90.0}},
    {SizeClass::Buzjets, {0.10, 300, 300, 200, 250, -8.0, -18.0, 0.75, 4.5, 0.0275, 35.0, 0.0085, 110.0}},
    {SizeClass::Large, {0.07, 400, 350, 200, 300, -6.0, -16.5, 0.6, 4.0, 0.02, 30.0, 0.0075, 140.0}},
    {SizeClass::Heavy, {0.05, 450, 450, 250, 400, -5.0, -12.5, 0.5, 3.0, 0.015, 20.0, 0.005, 150.0}},
    {SizeClass::HighPerf, {0.10, 150, 150, 100, 200, -6.0, -20.0, 1.0, 4.5, 0.1, 90.0, 0.03, 220.0}},
    {SizeClass::Rotorcraft, {0.20, 100, 100, 100, 100, -20.0, -30.0, 0.75, 5.0, 0.06, 75.0, 0.03, 0.0}},
};

} // namespace

const ClassValues& gf_classValues(SizeClass sizeClass)
{
    static const std::unordered_map<SizeClass, ClassValues> table(std::begin(g_rows), std::end(g_rows));
    const auto it = table.find(sizeClass);
    if (it == table.end())
        throw std::out_of_range("invalid unordered_map<K, T> key");
    return it->second;
}
