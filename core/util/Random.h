#pragma once
// Random numbers. Two generators: the process-wide one behind Rand and its siblings, and a small
// seedable 15-bit generator that stands where the C library's rand drives a shuffle, so that a
// shuffle can be replayed from its seed (tests, recorded games). Both are safe from any thread.

#include <cstdint>

// A random integer from 0 to n - 1; 0 when n is 0 or negative.
int Rand(int n);

// Rand(high - low) + low: from low up to, not including, high; low when high <= low.
int RandRange(int low, int high);

// A random real from 0 up to, not including, x (0 when x is 0).
double RandDouble(double x);

// A random float from low to high.
float RandFloatRange(float low, float high);

// Restarts the process-wide generator from a seed (it starts from a time-based seed).
void SeedRandom(uint32_t seed);

// The largest value CRand returns.
constexpr int kCRandMax = 32767;

// The next value, 0 to 32767, of the 15-bit generator. Its sequence is fixed for a seed:
//   state = state * 1103515245 + 12345 (mod 2^32);  value = (state / 65536) % 32768
// starting from state = seed (1 before any CSeedRand). Seed 1 gives 16838, 5758, 10113, ...
int CRand();

// Restarts the 15-bit generator from a seed.
void CSeedRand(uint32_t seed);
