#include "aircraft/size_class.h"

#include <array>
#include <stdexcept>

std::string_view gf_sizeClassName(SizeClass sizeClass)
{
    static constexpr std::array<std::string_view, g_sizeClassCount> names{
        "Light", "Buzjets", "Large", "Heavy", "HighPerf", "Rotorcraft",
    };
    const auto index = static_cast<int>(sizeClass);
    if (index < 0 || index >= g_sizeClassCount)
        throw std::out_of_range("invalid unordered_map<K, T> key");
    return names[static_cast<std::size_t>(index)];
}
