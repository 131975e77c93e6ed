// The program's one random generator: a 32-bit linear congruential generator whose draws are bits 16..30 of
// the new state. Every draw is taken in the order the system describes, so a seed fixes a whole run.
#include "engine/engine.h"

uint32_t gRandState = 1;

void SeedRand(uint32_t seed) {
    gRandState = seed;
}

int32_t Rand() {
    gRandState = gRandState * 214013u + 2531011u;
    return static_cast<int32_t>((gRandState >> 16) & 0x7FFF);
}
