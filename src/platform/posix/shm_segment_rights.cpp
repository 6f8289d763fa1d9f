#include "platform/posix/shm_segment_rights.h"

#include <pwd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace quorvane {

namespace {

constexpr unsigned kOthersMayWrite = 0022;
constexpr unsigned kOwnerMayWrite = 0200;

std::string userName(unsigned uid) {
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(4096);
    if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found) {
        return found->pw_name;
    }
    return "with the number " + std::to_string(uid);
}

std::string hex(std::int32_t key) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(key));
    return text;
}

std::string octal(unsigned mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", mode & 07777);
    return text;
}

std::string segmentText(const SegmentName& name) {
    return "The shared-memory segment SHM " + std::to_string(name.unit) + " (key " + hex(name.key) +
           ")";
}

// The cure for every refusal: the segment goes, and Quorvane makes it afresh before chrony
// attaches to it.
std::string recreateText(const SegmentName& name) {
    return "Stop chrony (sudo systemctl stop chrony), remove the segment (sudo ipcrm -M " +
           hex(name.key) +
           "), wait until Quorvane's tooltip says \"Sharing time with chrony, SHM " +
           std::to_string(name.unit) +
           "\" (it tries again every half minute), then start chrony (sudo systemctl start "
           "chrony). chrony, started as root, reads a segment that Quorvane created.";
}

}  // namespace

std::string segmentRefusal(const SegmentName& name, const SegmentFacts& facts, unsigned me,
                           std::size_t sampleSize) {
    if (facts.size < sampleSize) {
        return segmentText(name) + " holds " + std::to_string(facts.size) + " bytes, not the " +
               std::to_string(sampleSize) +
               " of a time sample, so another program uses this unit. Give Quorvane and "
               "chrony's refclock SHM line another unit, or: " +
               recreateText(name);
    }
    if (facts.mode & kOthersMayWrite) {
        return segmentText(name) + " has the rights " + octal(facts.mode) +
               ", so other users of this computer could feed chrony false time through it. If "
               "chrony.conf gives its refclock SHM line a perm option (such as SHM " +
               std::to_string(name.unit) +
               ":perm=0666), remove that option. Then: " + recreateText(name);
    }
    for (const unsigned uid : {facts.ownerUid, facts.creatorUid}) {
        if (uid != me && uid != 0) {
            return segmentText(name) + " belongs to the user " + userName(uid) +
                   ", whose programs could feed chrony through it. Give Quorvane and chrony's "
                   "refclock SHM line another unit, or if nothing of that user's should feed "
                   "chrony: " +
                   recreateText(name);
        }
    }
    if (me == 0) {
        return {};
    }
    if (facts.ownerUid == 0) {
        return segmentText(name) +
               " was created by root, most likely by chrony starting before Quorvane shared "
               "time, and only root may write it. Giving it wider rights (perm in chrony.conf) "
               "would let every user feed chrony false time. " +
               recreateText(name);
    }
    if (!(facts.mode & kOwnerMayWrite)) {
        return segmentText(name) + " has the rights " + octal(facts.mode) +
               ", which do not let Quorvane write it. " + recreateText(name);
    }
    return {};
}

std::string segmentFailure(const SegmentName& name, const std::string& what, int error) {
    return segmentText(name) + " could not be " + what + " (" + std::strerror(error) + ").";
}

std::optional<SegmentFacts> listedSegmentFacts(std::int32_t key) {
    std::ifstream list("/proc/sysvipc/shm");
    std::string line;
    std::getline(list, line);  // the column names
    while (std::getline(list, line)) {
        std::istringstream fields(line);
        long long listedKey = 0, id = 0, creatorPid = 0, lastPid = 0, attached = 0;
        unsigned gid = 0;
        SegmentFacts facts;
        fields >> listedKey >> id >> std::oct >> facts.mode >> std::dec >> facts.size >>
            creatorPid >> lastPid >> attached >> facts.ownerUid >> gid >> facts.creatorUid;
        if (fields && listedKey == key) {
            return facts;
        }
    }
    return std::nullopt;
}

}  // namespace quorvane
