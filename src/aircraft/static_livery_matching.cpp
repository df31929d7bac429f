#include "aircraft/dbase_lookup.h"
#include "aircraft/livery_match_hooks.h"
#include "aircraft/livery_matching.h"
#include "aircraft/similar_types.h"
#include "foundation/log.h"
#include "foundation/option_table.h"

#include <fmt/format.h>

namespace {

// A title found by a step: false (and the title cleared) when the simulator refused it.
bool lf_acceptStaticTitle(LiveryMatchAc& ac, int step)
{
    if (gf_isRefusedLivery(ac.liveryTitle)) {
        ac.liveryTitle = {};
        return false;
    }
    if (!LOG.value.load())
        return true;
    const std::string description = gf_matchDescribeAc(ac);
    switch (step) {
    case 1:
        gf_log(fmt::format("          {} =1= {}", description, ac.liveryTitle));
        break;
    case 2:
        gf_log(fmt::format("          {} =2= {}", description, ac.liveryTitle));
        break;
    case 3:
        gf_log(fmt::format("          {} =3= {}", description, ac.liveryTitle));
        break;
    case 4:
        gf_log(fmt::format("          {} =4= {}", description, ac.liveryTitle));
        break;
    default:
        gf_log(fmt::format("          {} ={}= {}", description, step, ac.liveryTitle));
        break;
    }
    return true;
}

bool lf_noStaticMatch(const LiveryMatchAc& ac, std::string_view standName)
{
    if (LOG.value.load())
        gf_log(fmt::format("{:8}: {} no livery match ...", standName, gf_matchDescribeAcLong(ac)));
    return false;
}

// Every similar type the airline has liveries of, whatever its size class.
bool lf_matchAnySimilarType(LiveryMatchAc& ac, std::string_view airline)
{
    for (const auto& alternative : gf_similarTypesForAirline(airline, ac.type)) {
        if (gf_findAirlineTypeLivery(ac, airline, alternative))
            return true;
    }
    return false;
}

} // namespace

bool gf_matchLiveryStaticAc(LiveryMatchAc& ac, bool cargoStand, std::string_view standName)
{
    if (!ac.liveryTitle.empty()) {
        if (LOG.value.load())
            gf_log(fmt::format("          {} =s= {}", gf_matchDescribeAc(ac), ac.liveryTitle));
        return true;
    }
    ac.cargo = cargoStand;
    const int depth = MATCHING_DEPTH.value.load();
    if (gf_findSpecialRegistrationLivery(ac))
        return lf_acceptStaticTitle(ac, 1);
    if (depth < 2)
        return lf_noStaticMatch(ac, standName);
    if (ac.airline == g_privateAirline && gf_findAirlineTypeLivery(ac, g_genericAirline, ac.type))
        return lf_acceptStaticTitle(ac, 4);

    const auto record = gf_findDbaseRecord(ac.registration);
    const std::string recordOperator = record ? record->opr : std::string();
    const std::string recordAirline = record ? record->airl : std::string();
    if (gf_findAirlineTypeLivery(ac, ac.airline, ac.type) ||
        (!recordOperator.empty() && gf_findAirlineTypeLivery(ac, recordAirline, ac.type)))
        return lf_acceptStaticTitle(ac, 2);
    if (depth < 3)
        return lf_noStaticMatch(ac, standName);
    if (lf_matchAnySimilarType(ac, ac.airline) ||
        (!recordOperator.empty() && lf_matchAnySimilarType(ac, recordAirline)))
        return lf_acceptStaticTitle(ac, 3);

    int step = 0;
    gf_matchLiveryFallback(ac, step);
    if (ac.liveryTitle.empty())
        return lf_noStaticMatch(ac, standName);
    return lf_acceptStaticTitle(ac, step);
}
