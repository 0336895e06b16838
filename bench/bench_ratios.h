// What a benchmark program can ask of the shared benchmark main besides the
// peer/ours table.
#pragma once

#include <string>

// Prints, after the run, how the throughput (items per second) of the case
// `many` grows over that of the case `one`, for ours and for the peer, and
// the ratio of the two speed-ups (above 1: ours scales better).
void AddScalingRow(const std::string& many, const std::string& one);
