#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace quorvane {

// The segment a time server reads samples from: its unit and its key.
struct SegmentName {
    int unit = 0;
    std::int32_t key = 0;
};

// What the system tells of an existing segment.
struct SegmentFacts {
    unsigned ownerUid = 0;
    unsigned creatorUid = 0;
    unsigned mode = 0;  // the permission bits
    std::size_t size = 0;
};

// Why this user must not write samples into the segment, or "" when it may. A sample in it is
// trusted by the server, so nobody but this user and root may be able to write it, and this
// user must be.
std::string segmentRefusal(const SegmentName& name, const SegmentFacts& facts, unsigned me,
                           std::size_t sampleSize);

// The system refused what the rights above allowed: errno's text for the user.
std::string segmentFailure(const SegmentName& name, const std::string& what, int error);

// The facts of the segment with this key as /proc/sysvipc/shm lists them, for a segment this
// user may not even read; nullopt where the list lacks it.
std::optional<SegmentFacts> listedSegmentFacts(std::int32_t key);

}  // namespace quorvane
