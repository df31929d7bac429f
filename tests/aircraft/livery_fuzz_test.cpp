// Damaged LiveriesScanned.xml files, as a user's disk may hold them: random mutations of a valid
// file from fixed seeds and a bounded number of rounds. Every round must end in records or one of
// the reader's refusals, and whatever was read must build tables that the matching can use.
#include "aircraft/liveries_scanned.h"
#include "aircraft/livery_matching.h"
#include "aircraft/similar_types.h"
#include "foundation/user_error.h"
#include "livery_test_support.h"

#include "support/mutate.h"

#include <random>

using namespace aircrafttest;

namespace {

std::string lf_mutateLiveries(const std::string& text, std::mt19937& engine)
{
    static const char g_specialBytes[] = "<>\"'=/&#;\n\t \xEF\xBB\xBF\xFF\x00";
    return testsupport::mutate(text, engine, {g_specialBytes, sizeof g_specialBytes - 1},
                               {.maxChanges = 5, .maxErase = 24, .maxDouble = 40, .cutShort = true});
}

class LiveryFuzzTest : public LiveryTest {};

TEST_F(LiveryFuzzTest, DamagedFilesReadOrAreRefusedCleanly)
{
    LOG.value = false;
    g_liveryRecords.clear();
    for (const auto& l : g_realisticLiveries)
        g_liveryRecords.push_back({l.airl, l.type, l.title, l.atcid, 0, l.cargo});
    gf_writeLiveriesScanned();
    const std::string valid = readFile(g_liveriesScannedPath);

    std::mt19937 engine(7140);
    int read = 0;
    int refused = 0;
    for (int round = 0; round < 400; ++round) {
        writeFile(g_liveriesScannedPath, lf_mutateLiveries(valid, engine));
        try {
            gf_readLiveriesScanned();
        } catch (const brv::UserErrorException& e) {
            ++refused;
            EXPECT_TRUE(e.code() == 51 || e.code() == 52 || e.code() == 533 || e.code() == 999)
                << e.code();
            EXPECT_TRUE(g_liveryRecords.empty());
            continue;
        }
        ++read;
        ASSERT_FALSE(g_liveryRecords.empty());
        EXPECT_TRUE(std::is_sorted(g_liveryRecords.begin(), g_liveryRecords.end(), gf_compareLiveryRecords));

        // whatever was read builds tables the matching can walk
        gf_clearLiveryTables();
        gf_buildLiveryTitles();
        gf_buildAirlineTables();
        gf_buildTypeTables();
        gf_buildSimilarModels();
        const bool anyEmptyTitle = std::any_of(g_liveryRecords.begin(), g_liveryRecords.end(),
                                               [](const LiveryRecord& r) { return r.title.empty(); });
        for (const auto& record : g_liveryRecords) {
            LiveryMatchAc ac{record.airl, record.type, record.atcid, SizeClass::Light, record.cargo, {}, false};
            gf_matchLiveryLiveAc(ac);
            if (!anyEmptyTitle && (!record.airl.empty() || !record.type.empty())) {
                EXPECT_FALSE(ac.liveryTitle.empty()) << "an installed type always finds a livery";
            }
            EXPECT_EQ(gf_findLiveryTitle(ac.liveryTitle), ac.liveryTitle);
        }
    }
    EXPECT_GT(read, 0);
    EXPECT_GT(refused, 0);
}

} // namespace
