#include "proc/ProcessUtils.h"

#include <optional>

#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace vesk {
namespace {

bool isComponentSeparator(char c) {
    return c == '\\' || c == ':' || c == pathSeparator();
}

std::string_view lastComponent(std::string_view name) {
    for (std::size_t i = name.size(); i > 0; --i) {
        if (isComponentSeparator(name[i - 1]))
            return name.substr(i);
    }
    return name;
}

// A snapshot that cannot be taken counts as an empty one: nothing is found, nothing killed.
std::optional<ProcessEntry> firstMatch(const std::string& exeName, ProcessPort& processes) {
    try {
        for (const ProcessEntry& entry : processes.snapshot()) {
            if (processNameMatches(entry.exeName, exeName))
                return entry;
        }
    } catch (...) {
    }
    return std::nullopt;
}

}  // namespace

bool processNameMatches(const std::string& reportedName, const std::string& exeName) {
    // An empty name would match every entry that ends in a separator; it names no program.
    if (exeName.empty())
        return false;
    return equalsIgnoreAsciiCase(reportedName, exeName) ||
           equalsIgnoreAsciiCase(lastComponent(reportedName), exeName);
}

bool IsProcessRunning(const std::string& exeName, ProcessPort& processes) {
    return firstMatch(exeName, processes).has_value();
}

bool KillProcessByName(const std::string& exeName, ProcessPort& processes) {
    const auto match = firstMatch(exeName, processes);
    return match && processes.terminate(match->id);
}

bool ShellOpen(const std::string& path, ProcessPort& processes) {
    try {
        std::string target = trimText(path);
        if (target.empty())
            target = executableFolder();
        processes.shellOpen(target);
    } catch (...) {
        // Opening is a courtesy to the operator; nothing that calls it can act on a failure.
    }
    return true;
}

}  // namespace vesk
