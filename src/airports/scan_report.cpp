#include "airports/scan_report.h"

#include <utility>

FindingList g_scanReport;

void gf_addScanReportLine(std::string text) { g_scanReport.append(std::move(text)); }
