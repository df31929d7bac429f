#include "feed/query_box.h"

#include "feed/feed_hooks.h"
#include "feed/traffic_client.h"
#include "foundation/option_table.h"

QueryBox gf_computeQueryBox(const LatLon& centre, double rangeNm)
{
    QueryBox box;
    const double d = rangeNm * 1.852 / 111.2;
    box.top = centre.lat + d;
    box.bottom = centre.lat - d;
    const double feet = rangeNm * 6076.11549;
    box.left = gf_destinationPoint(centre, -1.5707963267948966, feet).lon;
    box.right = gf_destinationPoint(centre, 1.5707963267948966, feet).lon;
    return box;
}

void gf_updateQueryBox()
{
    const UserPosition user = gf_userSnapshot();
    gf_trafficClient().updateQueryBox(LatLon{user.lat, user.lon}, g_rangeNm.load());
}
