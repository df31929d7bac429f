#pragma once
// What the feed calls in the subsystems above it. The traffic library installs the real
// functions at start; tests install their own. A call without an installed function does
// nothing and returns a value-initialised result.
#include "aircraft/size_class.h"
#include "feed/feed_record.h"
#include "foundation/geometry.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

template <class Signature>
class FeedHook;

template <class R, class... Args>
class FeedHook<R(Args...)> {
public:
    void install(std::function<R(Args...)> function)
    {
        std::lock_guard lock(m_mutex);
        m_function = std::move(function);
    }
    bool installed() const
    {
        std::lock_guard lock(m_mutex);
        return static_cast<bool>(m_function);
    }
    // Runs outside the hook's lock, so the function may take its own locks.
    R operator()(Args... args) const
    {
        std::function<R(Args...)> function;
        {
            std::lock_guard lock(m_mutex);
            function = m_function;
        }
        if (!function)
            return R();
        return function(std::forward<Args>(args)...);
    }

private:
    mutable std::mutex m_mutex;
    std::function<R(Args...)> m_function;
};

// The user aircraft's position from the traffic manager's snapshot.
struct UserPosition {
    double lat = 0.0;        // degrees
    double lon = 0.0;        // degrees
    double altitudeFt = 0.0; // feet
};

// The park airport as the record filter needs it; an empty code means none is set.
struct ParkAirportRef {
    std::string code;
    LatLon position;
    std::optional<double> elevationFt; // known once the airport's parking file was read
};

inline constexpr std::uint32_t g_objectKindFeedBlocked = 5;

// Traffic manager: gives every record of one answer its due tick (delay in seconds: 0, 6, 12,
// 18, 24 for the start-up snapshots, 30 for the loop) and sets g_latestFeedTime from the records
// it keeps; the answer was asked under that time shift (minutes). The feed empties the batch
// afterwards.
extern FeedHook<void(std::vector<FeedRecord>& batch, std::uint32_t delaySeconds, std::int32_t askedUnderShift)>
    gf_queueFeedBatch;
// Traffic manager: appends an object-list entry {object id, hex id, kind}.
extern FeedHook<void(std::uint32_t objectId, std::uint32_t hexId, std::uint32_t kind)> gf_feedObjectListHook;
// Traffic manager: a copy of g_userSnapshot's position, taken under its lock.
extern FeedHook<UserPosition()> gf_userSnapshot;
// Traffic manager: a copy of the park airport, taken under its lock.
extern FeedHook<ParkAirportRef()> gf_parkAirport;
// Main window: repaints the header area (lamps, QNH, session); must not block.
extern FeedHook<void()> gf_repaintHeaderArea;
// Traffic manager: whether aircraft of this size class are shown (the parked records keep only
// those); not installed, none is.
extern FeedHook<bool(SizeClass sizeClass)> gf_sizeClassEnabledHook;
// Traffic manager: a copy of g_reservedStand, the stand kept free for the user; empty = none.
extern FeedHook<std::string()> gf_reservedStand;

// Every hook uninstalled (tests).
void gf_resetFeedHooks();
