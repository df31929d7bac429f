#include "feed/feed_hooks.h"

FeedHook<void(std::vector<FeedRecord>&, std::uint32_t, std::int32_t)> gf_queueFeedBatch;
FeedHook<void(std::uint32_t, std::uint32_t, std::uint32_t)> gf_feedObjectListHook;
FeedHook<UserPosition()> gf_userSnapshot;
FeedHook<ParkAirportRef()> gf_parkAirport;
FeedHook<void()> gf_repaintHeaderArea;
FeedHook<bool(SizeClass)> gf_sizeClassEnabledHook;
FeedHook<std::string()> gf_reservedStand;

void gf_resetFeedHooks()
{
    gf_queueFeedBatch.install(nullptr);
    gf_feedObjectListHook.install(nullptr);
    gf_userSnapshot.install(nullptr);
    gf_parkAirport.install(nullptr);
    gf_repaintHeaderArea.install(nullptr);
    gf_sizeClassEnabledHook.install(nullptr);
    gf_reservedStand.install(nullptr);
}
