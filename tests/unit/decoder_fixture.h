#pragma once

#include <gtest/gtest.h>

#include "fakes/fakes.h"

namespace quorvane::testing {

// The four fix displays: time, latitude, longitude, altitude.
inline std::vector<std::string> displays(const Form1& form) {
    return {form.TimeGPS.text(), form.GPSLatitude.text(), form.GPSLongitude.text(),
            form.GPSAltitude.text()};
}

// A loaded window (both counters at 10, feet shown) fed lines as the serial component would.
struct Decoder : ::testing::Test {
    FormFixture f;
    Form1& form = f.form;
    void SetUp() override { f.load(); }
    void feed(std::initializer_list<std::string> lines) {
        for (const std::string& line : lines) {
            f.receive(line);
        }
    }
};

}  // namespace quorvane::testing
