#include "app/form1.h"
#include "clock/drift_keeping.h"
#include "settings/drift_file.h"

namespace quorvane {

std::string Form1::driftFilePath() {
    return joinPath(files_.programFolder(), kDriftFileName);
}

void Form1::LoadDriftFile() {
    DriftFileValues values;
    try {
        values = parseDriftFile(files_.readAll(driftFilePath()));
    } catch (const std::exception&) {
        // Missing or unreadable: the option off and no drift known, without a word.
        values = {};
    }
    KeepTimeBetweenSettings.setChecked(values.keepTime);
    // A rate found by a copy that ended without letting go is the one to go back to; else the
    // one in force now. Either way the rate in force is only the estimate's starting trim.
    const double inForce = rateInForce(*this);
    KeepingFoundRatePpm = values.foundRatePpm.value_or(inForce);
    Keeping.start(monoSeconds(clock_.monotonicNow()), values.driftPpm, inForce);
    if (values.keepTime) {
        startKeeping(*this, false);
    }
    showKeepingState(*this);
}

std::string Form1::SaveDriftFile() {
    try {
        files_.replaceWhole(
            driftFilePath(),
            formatDriftFile({KeepTimeBetweenSettings.checked(), Keeping.knownDriftPpm(),
                             KeepingTrimmed ? KeepingFoundRatePpm : std::nullopt}));
    } catch (const std::exception& error) {
        logEvent(std::string("Could not save ") + kDriftFileName + ": " + error.what());
        return error.what();
    }
    return {};
}

}  // namespace quorvane
