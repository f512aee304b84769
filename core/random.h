// The one random source every part may use.
#pragma once

// A float over [a, b] from the C library's generator, seeded once with the time.
float random_between(float a, float b);
