#include "traffic/ac_descriptions.h"

#include "foundation/option_table.h"

#include <cctype>
#include <fmt/format.h>

std::string gf_airlineTypeKey(const AcBase& ac) { return fmt::format("{:3} {:4}", ac.airline, ac.type); }

bool gf_sameAirlineAndType(const AcBase& a, const AcBase& b) { return a.airline == b.airline && a.type == b.type; }

std::string gf_noMatchKey(const AcBase& ac) { return gf_airlineTypeKey(ac) + " " + ac.registration; }

bool gf_isUsableCallsign(const AcBase& ac)
{
    return !ac.callsign.empty() && ac.callsign != "@@@@@@@@" && ac.callsign.size() <= 8;
}

std::optional<std::string> gf_callsignAirline(std::string_view callsign)
{
    const auto letter = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; };
    if (callsign.size() < 4 || !letter(callsign[0]) || !letter(callsign[1]) || !letter(callsign[2]) ||
        std::isdigit(static_cast<unsigned char>(callsign[3])) == 0)
        return std::nullopt;
    std::string airline(callsign.substr(0, 3));
    for (char& c : airline)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return airline;
}

bool gf_airlineFromCallsign(AcBase& ac)
{
    auto airline = gf_callsignAirline(ac.callsign);
    if (!airline)
        return false;
    ac.airline = std::move(*airline);
    return true;
}

std::string gf_routeText(const AcBase& ac)
{
    if (ac.origin.empty() && ac.destination.empty())
        return std::string(8, ' ');
    return fmt::format("{:3}->{:3}", ac.origin, ac.destination);
}

std::string gf_callsignText(const AcBase& ac) { return fmt::format("{:8}", ac.callsign); }

std::string gf_describeAcShort(const AcBase& ac)
{
    return fmt::format("{} {:8} {}", gf_routeText(ac), ac.callsign, ac.registration);
}

std::string gf_describeAc(const AcBase& ac) { return fmt::format("{} {}", gf_describeAcShort(ac), gf_airlineTypeKey(ac)); }

std::string gf_describeAcLong(const AcBase& ac)
{
    return fmt::format("{} {} {}", gf_callsignText(ac), ac.registration, gf_airlineTypeKey(ac));
}

bool gf_isSizeClassEnabled(SizeClass sizeClass)
{
    switch (sizeClass) {
    case SizeClass::Light:
        return LIGHT_AIRCRAFT.value.load();
    case SizeClass::Buzjets:
    case SizeClass::Large:
    case SizeClass::Heavy:
        return true;
    case SizeClass::HighPerf:
        return HIGH_PERF_AIRCRAFT.value.load();
    case SizeClass::Rotorcraft:
        return HELICOPTERS.value.load();
    }
    return false;
}
