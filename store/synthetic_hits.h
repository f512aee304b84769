// Synthetic stored hits for benchmarks, the inspector and screens under development.
#pragma once

#include <cstdint>

// Appends `count` hits spread evenly, in time order, over the `days` days before now to the
// database at `path` (created if missing), then ranks positions 1-3 as the program would have.
// Deterministic for a given seed and start time. False if the database could not be written.
bool fill_synthetic_hits(const char* path, int32_t count, int32_t days, uint32_t seed);
