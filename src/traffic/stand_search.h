#pragma once
// The park airport's stands as the traffic manager searches them: by id and name, the free stand
// next to a position, the scheduled choice of a stand by size, kind, booking and half hour, and
// the stand options that name an aircraft. The stands belong to the control thread, which reads
// and marks them here without g_parkDataMutex: the simulator thread reads only their names and
// positions, and the tick changes neither.
#include "airports/stand.h"
#include "foundation/geometry.h"
#include "foundation/half_hours.h"
#include "traffic/ac_records.h"

#include <cstdint>
#include <string_view>
#include <vector>

// nullptr when no stand has the id (0 never).
Stand* gf_findStandById(std::uint32_t id);
Stand* findStandByName(std::string_view name);

// The nearest free stand within maxDistNm that the aircraft fits, or a too small one within 20 m;
// with `wide` a fitting stand within 85 m whose options name the aircraft when there is none
// nearer. Heli stands are for Rotorcraft only, and they for heli stands only. nullptr when none.
// The search changes no stand: a too small one grows only when the aircraft takes it.
Stand* findFreeStandNear(const LatLon& position, const AcBase& ac, double maxDistNm, bool wide);
// The aircraft takes the stand: a stand too small for it grows to its half wingspan less 1 m
// (radius_change, one more stand update).
void gf_growStandFor(Stand& stand, const AcBase& ac);
// The same search for many positions around the park airport's stands as they are now (sorted
// by latitude once; a search then looks at the stands of its band of latitude only).
class StandsByLatitude {
public:
    StandsByLatitude();
    Stand* findFreeStandNear(const LatLon& position, const AcBase& ac, double maxDistNm, bool wide);

private:
    std::vector<Stand*> m_byLatitude;
    std::vector<Stand*> m_band;
};
// A stand for the aircraft at the week point by its kind and size, not booked then, the stands
// whose options name the aircraft first, the tightest next, ties at random; with `widen` and at
// most 10 stands the next half hour is tried once. nullptr when none.
Stand* chooseStand(WeekPoint point, const AcBase& ac, bool widen);
// The coupled callsigns of the first option around the week point with the aircraft's airline
// and callsign and a second callsign.
void gf_searchForCoupledCsAroundThisTime(WeekPoint point, AcBase& ac);

// An enabled real option with the callsign in one of its callsign fields, or the aircraft's
// airline and type.
bool gf_optionMatchesAc(const StandOption& option, std::string_view callsign, const AcBase& ac);
// An enabled real option of the registration on the point's day at its half hour or one beside
// it (across midnight); a half hour of 48 or more raises std::out_of_range.
bool gf_optionMatchesRegAtTime(WeekPoint point, std::string_view registration, const StandOption& option);

// A park airport is set within 5 nm of the position.
bool gf_nearParkAirport(const LatLon& position);

// One more stand update (a radius or cargo correction, a learned option) for the learned file and
// the window.
void gf_countStandUpdate();
