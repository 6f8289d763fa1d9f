#pragma once

#include <random>

#include "platform/system_clock.h"

namespace quorvane {

// The pseudo-random generator, reseeded from the clock so separate runs draw differently.
class StdRandomSource : public RandomSource {
public:
    StdRandomSource();
    void reseed() override;
    float next() override;

private:
    std::mt19937 engine_;
};

}  // namespace quorvane
