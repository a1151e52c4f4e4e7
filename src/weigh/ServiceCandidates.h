#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vesk {

// One program the watchdog may supervise. Only the weighbridge communication service runs
// hidden and reports to the activity pane; the others run in a normal window and report to the
// log file only.
struct ServiceCandidate {
    std::string name;  // executable name, as the process table reports it
    std::string path;  // full path it is started from
    bool isComm = false;
};

// The first candidate whose path names an existing file (a folder does not count); later ones
// are not looked at. Decided afresh on every call: an installation can change under us.
std::optional<ServiceCandidate> supervisedProgram(const std::vector<ServiceCandidate>& candidates);

// The watchdog's count of ticks on which the companion pass launched nothing. It runs
// 1..1199, then 0, and every 120th count (0 included) earns a note in the pane.
struct QuietTick {
    int count = 0;
    bool note = false;
};
QuietTick nextQuietTick(int count);

// Said in the pane when the note is due and the pass found nothing running to name.
inline constexpr const char* kAllRunningNote = "veskComm.exe等正常运行中！无需重启!";

}  // namespace vesk
