#include "traffic/ac_records.h"

#include "aircraft/dbase_lookup.h"
#include "foundation/geometry.h"
#include "foundation/random.h"
#include "traffic/class_tables.h"

#include <stdexcept>
#include <unordered_map>
#include <utility>

namespace {

template <class Enum, std::size_t N>
std::string_view lf_nameOf(const std::pair<Enum, std::string_view> (&rows)[N], Enum value)
{
    static const std::unordered_map<Enum, std::string_view> names(std::begin(rows), std::end(rows));
    return names.at(value);
}

constexpr std::pair<AcState, std::string_view> g_acStateNames[] = {
    {AcState::buffer, "buffer"},
    {AcState::adding2sim, "adding2sim"},
    {AcState::active, "active"},
    {AcState::liveryrespawn, "liveryrespawn"},
    {AcState::removingfromsim, "removingfromsim"},
};

constexpr std::pair<FlightState, std::string_view> g_flightStateNames[] = {
    {FlightState::pushing_back, "pushing_back"}, {FlightState::pushed_back, "pushed_back"},
    {FlightState::taxi, "taxi"},                 {FlightState::take_off, "take_off"},
    {FlightState::flying, "flying"},             {FlightState::parking, "parking"},
    {FlightState::parked, "parked"},             {FlightState::birth, "birth"},
};

} // namespace

std::string_view gf_acStateName(AcState state) { return lf_nameOf(g_acStateNames, state); }

std::string_view gf_flightStateName(FlightState state) { return lf_nameOf(g_flightStateNames, state); }

AcBase::AcBase(std::string airline_, std::string type_, std::string origin_, std::string destination_,
               std::string callsign_, std::string coupledCallsign1_, std::string coupledCallsign2_,
               std::string registration_)
    : origin(std::move(origin_)), destination(std::move(destination_)), callsign(std::move(callsign_)),
      coupledCallsign1(std::move(coupledCallsign1_)), coupledCallsign2(std::move(coupledCallsign2_))
{
    airline = std::move(airline_);
    type = std::move(type_);
    registration = std::move(registration_);
    takeTypeValues();
}

void AcBase::takeTypeValues()
{
    halfWingspanNm = gf_getHalfWingspan(type);
    sizeClass = gf_type2sizeClass(type);
    const ClassValues& values = gf_classValues(sizeClass);
    baseTurnStep = values.groundTurnStepDeg * g_deg2rad;
    flarePitchTicks = values.flarePitchTicks;
    noseLoweringTicks = values.noseLoweringTicks;
    rotationTicks = values.rotationTicks;
    climbPitchTicks = values.climbPitchTicks;
    rotationPitch = gf_randomizeByPercent(values.rotationPitchDeg, 2.5) * g_deg2rad;
    climbPitch = gf_randomizeByPercent(values.climbPitchDeg, 5.0) * g_deg2rad;
}

StaticAc::StaticAc(AcBase base, std::uint32_t standId_, double lat, double lon, double heading, bool darkCabin_)
    : AcRecord(std::move(base))
{
    standId = standId_;
    standLat = lat;
    standLon = lon;
    standHeading = heading;
    darkCabin = darkCabin_;
}
