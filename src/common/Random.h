// The program's random source: values 0..32767, seeded once at start-up.
#pragma once

#include <cstdint>
#include <random>

namespace zorl {

class CRandom {
public:
    void Seed(uint64_t seed) { engine_.seed(static_cast<std::minstd_rand::result_type>(seed)); }
    int Next() { return static_cast<int>(engine_() % 32768); }
    // 0 .. n-1 (n > 0)
    int Below(int n) { return n > 0 ? static_cast<int>(engine_() % static_cast<unsigned>(n)) : 0; }

private:
    std::minstd_rand engine_;
};

}  // namespace zorl
