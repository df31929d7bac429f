#include "aircraft/dbase.h"

Dbase g_dbase;

void gf_resetDbase() { g_dbase = Dbase{}; }
