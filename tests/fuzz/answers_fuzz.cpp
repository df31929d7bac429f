// The service's answers as the readers take them: nearest METAR, weather, the first traffic
// request with its snapshots, the traffic loop, parked traffic, login and logout. Whatever a
// reader keeps obeys the record rules; a JSON error may only raise (the readers log it).
#include "fuzz_support.h"

#include "aircraft/dbase_lookup.h"
#include "feed/feed_hooks.h"
#include "feed/live_records.h"
#include "feed/session.h"
#include "feed/traffic_client.h"
#include "feed/weather_client.h"
#include "foundation/option_table.h"

#include <stdexcept>

using fuzzsupport::check;

namespace {

void lf_checkBatch(std::vector<FeedRecord>& batch, std::uint32_t, std::int32_t)
{
    for (const FeedRecord& r : batch) {
        check(r.hexId > 10000, "live record: a transponder address");
        check(r.registration.size() <= 12, "live record: registration of at most 12 characters");
        check(!(r.callsign.empty() && r.registration.empty()), "live record: a callsign or a registration");
        check(r.sample.altitude >= 0.0, "live record: no negative altitude");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::enterProgramFolder();
    fuzzsupport::loadShippedDatabase();
    // the area of the local feed server's scenario, with its airport as the park airport
    g_rangeNm = 500.0;
    gf_setReaderRefPos(LatLon{52.3, 4.76});
    gf_parkAirport.install([] { return ParkAirportRef{"EHAM", LatLon{52.3086, 4.7639}, -11.0}; });
    gf_userSnapshot.install([] { return UserPosition{52.3, 4.76, 1200.0}; });
    gf_sizeClassEnabledHook.install([](SizeClass) { return true; });
    gf_queueFeedBatch.install(lf_checkBatch);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    RtWeatherClient& weather = gf_weatherClient();
    RtTrafficClient& traffic = gf_trafficClient();
    std::int32_t status = 0;
    std::vector<ParkedTrafficRecord> parked;
    // every reader on the same text; a parse or type error, or nesting beyond the bound, may
    // only raise (the readers log it and go on)
    const auto lt_read = [&](auto&& reader) {
        weather.weatherText = weather.replyText = traffic.trafficText = traffic.replyText = text;
        try {
            reader();
        } catch (const nlohmann::json::exception&) {
        } catch (const std::runtime_error&) {
        }
    };
    lt_read([&] { weather.takeMetarAnswer(status); });
    lt_read([&] { weather.takeWeatherAnswer(status); });
    lt_read([&] { traffic.takeBufferAnswer(status, 0); });
    lt_read([&] { traffic.takeTrafficAnswer(status, 0); });
    lt_read([&] { traffic.takeParkedAnswer(status, parked); });
    AuthRefusal refusal;
    lt_read([&] { gf_takeAuthAnswer(weather, refusal); });
    lt_read([&] { gf_takeDeauthAnswer(traffic); });
    check(weather.weatherQnh >= 930 && weather.weatherQnh <= 1080, "QNH: only a plausible one taken over");
    check(weather.wrrl > 0 && traffic.rrl > 0, "intervals: always positive");
    check(refusal.message.size() <= 256 + 3, "refusal: the service's message cut");
    for (const ParkedTrafficRecord& r : parked) {
        check(r.hexId > 10000 && (r.slot < 48 || r.slot == 0xFFFFFFFFu), // all bits: time out of range
              "parked record: a transponder address and a half hour");
        check(gf_isValidModel(r.type) && r.registration.size() <= 12 && r.callsign.size() <= 8,
              "parked record: a known type, a registration and a callsign");
        check(r.lat >= -90.0 && r.lat <= 90.0 && r.lon >= -180.0 && r.lon <= 180.0, "parked record: a position");
    }
    g_readerBatch.clear();
    return 0;
}
