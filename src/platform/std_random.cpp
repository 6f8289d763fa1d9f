#include "platform/std_random.h"

#include <chrono>

namespace quorvane {

StdRandomSource::StdRandomSource() { reseed(); }

void StdRandomSource::reseed() {
    // Wall-clock nanoseconds mixed with the monotonic clock and the object's address: two runs
    // started at different moments never share a seed.
    const auto wall = std::chrono::system_clock::now().time_since_epoch().count();
    const auto mono = std::chrono::steady_clock::now().time_since_epoch().count();
    std::seed_seq seed{static_cast<std::uint32_t>(wall), static_cast<std::uint32_t>(wall >> 32),
                       static_cast<std::uint32_t>(mono),
                       static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(this))};
    engine_.seed(seed);
}

float StdRandomSource::next() {
    std::uniform_real_distribution<float> draw(0.0f, 1.0f);
    float r = draw(engine_);
    // The distribution may round up to 1.0f in single precision; 1 is outside [0, 1).
    return r < 1.0f ? r : 0.0f;
}

}  // namespace quorvane
