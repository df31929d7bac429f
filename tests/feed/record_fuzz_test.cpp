// Mutated traffic answers must never crash the record parser; whatever it keeps obeys its rules.
#include "feed_fixture.h"

#include "feed/live_records.h"

#include <gtest/gtest.h>
#include <random>

namespace {

nlohmann::json lf_randomValue(std::mt19937& rng)
{
    std::uniform_int_distribution<int> kind(0, 11);
    switch (kind(rng)) {
    case 0:
        return nullptr;
    case 1:
        return std::uniform_real_distribution<double>(-1e6, 1e6)(rng);
    case 2:
        return static_cast<std::int64_t>(rng()) - 2147483648LL;
    case 3:
        return std::numeric_limits<std::uint64_t>::max();
    case 4:
        return std::numeric_limits<double>::max();
    case 5:
        return -std::numeric_limits<double>::max();
    case 6:
        return std::string(std::uniform_int_distribution<std::size_t>(0, 40)(rng), 'F');
    case 7:
        return "adsb_icao";
    case 8:
        return nlohmann::json::array({1, "x"});
    case 9:
        return nlohmann::json::object({{"k", 1}});
    case 10:
        return true;
    default:
        return "\xC3\x28\xFF";
    }
}

void lf_checkBatch()
{
    for (const FeedRecord& r : g_readerBatch) {
        EXPECT_GT(r.hexId, 10000u);
        EXPECT_LE(r.registration.size(), 12u);
        EXPECT_FALSE(r.callsign.empty() && r.registration.empty());
        EXPECT_GE(r.sample.altitude, 0.0);
    }
    g_readerBatch.clear();
}

} // namespace

TEST(RecordFuzz, MutatedAnswersNeverCrashTheParser)
{
    testsupport::LoggedFolder folder;
    gf_resetFeedHooks();
    g_rangeNm = 500.0;
    gf_setReaderRefPos(LatLon{50.0, 8.0});
    gf_parkAirport.install([] { return ParkAirportRef{"EDDF", LatLon{50.03, 8.57}, 364.0}; });

    nlohmann::json data = nlohmann::json::object();
    for (int i = 0; i < 6; ++i)
        data[fmt::format("4b18{:02x}", i)] = testsupport::goodLine(fmt::format("4b18{:02x}", i)).json();
    const std::string text = nlohmann::json{{"status", 200}, {"rrl", 2000}, {"data", data}}.dump();

    std::mt19937 rng(20260101);
    // byte-level mutations of the answer text
    for (int round = 0; round < 1500; ++round) {
        std::string mutated = text;
        const int edits = std::uniform_int_distribution<int>(1, 8)(rng);
        for (int e = 0; e < edits && !mutated.empty(); ++e) {
            const std::size_t at = std::uniform_int_distribution<std::size_t>(0, mutated.size() - 1)(rng);
            switch (std::uniform_int_distribution<int>(0, 3)(rng)) {
            case 0:
                mutated[at] = static_cast<char>(rng());
                break;
            case 1:
                mutated.erase(at, std::uniform_int_distribution<std::size_t>(1, 12)(rng));
                break;
            case 2:
                mutated.insert(at, 1, "0123456789.-eE\",[]{}:n"[rng() % 22]);
                break;
            default: {
                const std::string copy = mutated.substr(at, std::uniform_int_distribution<std::size_t>(1, 30)(rng));
                mutated.insert(at, copy.data(), copy.size());
                break;
            }
            }
        }
        const nlohmann::json answer = nlohmann::json::parse(mutated, nullptr, false);
        if (answer.is_discarded() || !answer.is_object())
            continue;
        const auto part = answer.find("data");
        if (part != answer.end())
            gf_processAnswerPart(*part);
        lf_checkBatch();
    }
    // element-level mutations of the arrays
    for (int round = 0; round < 1500; ++round) {
        nlohmann::json part = data;
        for (auto& line : part) {
            const int edits = std::uniform_int_distribution<int>(1, 6)(rng);
            for (int e = 0; e < edits; ++e)
                line[static_cast<std::size_t>(rng() % 48)] = lf_randomValue(rng);
        }
        gf_processAnswerPart(part);
        lf_checkBatch();
    }
    gf_resetFeedHooks();
}
