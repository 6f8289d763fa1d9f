#include "app/form1.h"
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
        // Missing or unreadable: the option off and nothing learned, without a word.
        values = {};
    }
    KeepTimeBetweenSettings.setChecked(values.keepTime);
    Drift.restore(values.estimates);
    DriftTrim.start(clock_);
    followDrift(false);
}

void Form1::SaveDriftFile() {
    const std::deque<DriftEstimate>& kept = Drift.estimates();
    try {
        files_.replaceWhole(
            driftFilePath(),
            formatDriftFile({KeepTimeBetweenSettings.checked(),
                             std::vector<DriftEstimate>(kept.begin(), kept.end())}));
    } catch (const std::exception& error) {
        // The file only remembers; the option still works for this run.
        logEvent(std::string("Could not save ") + kDriftFileName + ": " + error.what());
    }
}

}  // namespace quorvane
