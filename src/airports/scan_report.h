#pragma once
// The add-on airport scan's report: lines collected in memory by the reader tasks, the publisher
// search and the archive links, written to output/info/AirportsScanLog.txt when the scan ends.
#include "aircraft/scan_findings.h"

#include <string>

// Guarded by its own mutex; any thread may append.
extern FindingList g_scanReport;

void gf_addScanReportLine(std::string text);
