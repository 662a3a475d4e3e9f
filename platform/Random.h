#pragma once
#include <cstdint>
#include <functional>

// The one pseudo-random generator of the process: authcodes, barcodes and
// password keys all draw from it.
namespace Random {

// A number in 0 .. range-1 (0 when range <= 0).
int next(int range);

// Re-seed from the clock.
void randomize();

// Fixed seed, for repeatable runs.
void seed(std::uint64_t s);

// Tests may script the numbers drawn: the function receives the range and
// answers the number. An empty function restores the generator.
void setScript(std::function<int(int range)> script);

} // namespace Random
