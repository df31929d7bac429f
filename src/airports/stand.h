#pragma once
// A stand: one parking position of an airport with the aircraft that may stand there, and the
// quality factors that rate how well an airport's stands are furnished with aircraft.
#include "foundation/half_hours.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

inline constexpr double g_nmPerMetre = 0.0005399568034557236; // 1 / 1852
inline constexpr double g_metresPerNm = 1852.0;

// One aircraft that may stand on a stand.
struct StandOption {
    std::string airl; // airline code
    std::string type; // aircraft type code
    std::string reg;  // registration
    std::string cs;   // callsign
    std::string cs2;  // second callsign (after ":" in the file)
    HalfHourBitset hh; // the half hours of the UTC day at which it stands here
    std::int32_t optionId = 0; // 1, 2, 3 ... within its stand in file order; 0 = disabled
    std::int32_t day = 0;      // day of the week 1..7
    std::uint32_t fromApf = 0; // 1: read from the airport's own parking file; 0: learned
    std::int32_t real = 1;     // 1: seen in real traffic, 0: soft
    bool madeUp = false;       // a made-up aircraft of this visit (fromApf 1): never written to a file
};

// A live aircraft counted at a stand by the learning: where in the week, and the option it feeds.
struct StandStay {
    std::uint64_t weekPoint = 0; // slot in the high 32 bits, weekday in the low (as g_timeSlot)
    std::int32_t optionId = 0;
};

// Where a stand lies and which way it faces.
struct StandPosition {
    double latitude = 0.0;  // degrees
    double longitude = 0.0; // degrees
    double heading = 0.0;   // radians
};

struct Stand {
    // The radius is given in metres; the three flags are negated (notCargo gives cargo = false).
    Stand(std::string name, std::vector<StandOption> options, const StandPosition& position, double radiusMetres,
          bool notCargo, bool notRamp, bool notHeli);

    std::vector<StandOption> options; // file order
    std::unordered_map<std::uint32_t, StandStay> realStays; // hex id -> stay, real learning
    std::unordered_map<std::uint32_t, StandStay> softStays; // hex id -> stay, soft learning
    std::string name;
    std::vector<std::uint32_t> neighbours; // ids of the stands whose circles overlap this one
    double latitude;  // degrees
    double longitude; // degrees
    double heading;   // radians
    double radius;    // nautical miles: half the largest wingspan that fits
    std::uint32_t id = 0; // 1, 2, 3 ... at the park airport in load order; 0 = not numbered
    bool manual = false;        // created by hand in a learned file
    bool radius_change = false; // the radius was changed by learning
    bool cargo_change = false;  // the cargo flag was changed by learning
    bool filled = false;        // transient marks of the traffic manager
    bool liveOccupied = false;
    bool excluded = false;
    bool blocked = false;
    bool cargo;
    bool ramp;
    bool heli;
};

// The options numbered 1, 2, 3 ... in list order, the disabled ones too.
void gf_renumberOptions(std::vector<StandOption>& options);

// One airport's parameter block and stands in memory.
struct ApfParameters {
    std::string code; // ICAO code
    std::string airport_name;
    std::string BGLpath; // the scenery file the stands came from
    std::string publisher; // "unknown" when not found
    std::string manufacturer;
    std::string creator;
    std::int32_t Qf_real = -1;
    std::int32_t Qf_soft = -1;
    std::int32_t altitude = 0; // feet
    std::vector<Stand> stands; // its length is num_parkpos
};

// The packed quality factors: Qf_real in the low 32 bits, Qf_soft in the high 32 bits, each
// 0..100, or -1 in both halves when there is nothing to rate.
using PackedQf = std::uint64_t;
PackedQf gf_packQf(std::int32_t real, std::int32_t soft);
std::int32_t gf_qfReal(PackedQf qf);
std::int32_t gf_qfSoft(PackedQf qf);

// The quality factors of the stands (the park airport's: g_parkStands).
PackedQf gf_computeQf(const std::vector<Stand>& stands);
// "  " when there is nothing to rate, "44/ 7" below 45, else "45".
std::string gf_formatQf(PackedQf qf);
