#pragma once
// The size class of an aircraft type, as the database files it.
#include <string_view>

enum class SizeClass : int {
    Light = 0,
    Buzjets = 1,
    Large = 2,
    Heavy = 3,
    HighPerf = 4,
    Rotorcraft = 5,
};

inline constexpr int g_sizeClassCount = 6;

// "Light", "Buzjets", ...; std::out_of_range for a value outside the list.
std::string_view gf_sizeClassName(SizeClass sizeClass);
