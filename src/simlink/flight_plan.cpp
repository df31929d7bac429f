#include "simlink/flight_plan.h"

#include "foundation/log.h"
#include "foundation/paths.h"

#include <fmt/format.h>
#include <fstream>
#include <system_error>

std::filesystem::path g_flightPlanFolder;

namespace {

bool lf_exists(const std::filesystem::path& path)
{
    std::error_code ec;
    const bool exists = std::filesystem::exists(path, ec);
    if (ec)
        throw std::filesystem::filesystem_error("exists", path, ec);
    return exists;
}

// the text as XML character data: & < > " ' escaped
std::string lf_xmlEscaped(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += c; break;
        }
    }
    return out;
}

const char* lf_flightType(SizeClass sizeClass)
{
    switch (sizeClass) {
    case SizeClass::Buzjets:
    case SizeClass::Large:
    case SizeClass::Heavy:
        return "IFR";
    default:
        return "VFR";
    }
}

} // namespace

bool gf_createFlightPlanFolder()
{
    g_flightPlanFolder = g_dataFolder / "orig_dest";
    std::error_code ec;
    if (!lf_exists(g_dataFolder))
        std::filesystem::create_directories(g_dataFolder, ec);
    if (!lf_exists(g_flightPlanFolder))
        std::filesystem::create_directory(g_flightPlanFolder, ec);
    return lf_exists(g_flightPlanFolder);
}

std::filesystem::path gf_flightPlanPath(std::uint32_t objectId) { return fmt::format("{}.pln", objectId); }

bool gf_writeFlightPlan(const std::filesystem::path& path, const std::string& origin, const std::string& destination,
                        SizeClass sizeClass)
{
    std::ofstream file(path, std::ios::trunc);
    if (!file)
        return false;
    file << fmt::format("{}\n{}\n{}\n{}{}{}\n{}{}{}\n{}{}{}\n{}\n{}", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
                        R"(<SimBase.Document Type="AceXML" version="4,3">")", "<FlightPlan.FlightPlan>", "<FPType>",
                        lf_flightType(sizeClass), "</FPType>", "<DepartureID>", lf_xmlEscaped(origin),
                        "</DepartureID>", "<DestinationID>", lf_xmlEscaped(destination), "</DestinationID>",
                        "</FlightPlan.FlightPlan>", "</SimBase.Document>")
         << '\n';
    file.flush();
    file.close();
    return !file.fail();
}

bool gf_removeFlightPlanFolder()
{
    if (lf_exists(g_flightPlanFolder)) {
        std::error_code ec;
        std::filesystem::remove_all(g_flightPlanFolder, ec);
        if (ec)
            gf_log(fmt::format("gf_removeFlightPlanFolder: {}", ec.message()));
    }
    return !lf_exists(g_flightPlanFolder);
}
