#include "traffic/park_settings.h"

std::atomic<std::int32_t> g_maxLiveGeneral{500};

void gf_resetParkSettings()
{
    g_apfParamsChanged = false;
    g_maxLiveGeneral = 500;
}
