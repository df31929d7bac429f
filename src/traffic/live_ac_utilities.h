#pragma once
// Operations over the whole live list.

// Removes the active live aircraft farthest from the user aircraft when it lies more than
// 0.1 nm beyond d (nm); true when nothing was removed.
bool gf_removeOneLiveAc(double d);
// Removes the farthest active live aircraft while more than MAX_LIVE_SEL are active.
void gf_removeExcessLiveAc();
// Drops the records marked erase or eraseNow from the live list; none of them keeps a stand held.
void gf_eraseMarkedLiveAc();
