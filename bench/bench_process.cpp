// What one "is it running?" question costs, beside asking pgrep the same question. The name is
// one nothing runs under, so both walk the whole process table. Goal: ours at most half.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include "proc/ProcessUtils.h"

extern char** environ;

namespace {

const std::string askedName = "veskComm.exe";

void IsProcessRunningOnce(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(vesk::IsProcessRunning(askedName));
    state.counters["processes"] = static_cast<double>(vesk::systemProcesses().snapshot().size());
}

// pgrep -x matches the kernel's short name, which holds this 12-character name whole.
bool pgrepExact() {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::string program = "pgrep", option = "-x", name = askedName;
    char* argv[] = {program.data(), option.data(), name.data(), nullptr};
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, "pgrep", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return false;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) <= 1;  // 0 found, 1 not found
}

void PgrepExactOnce(benchmark::State& state) {
    for (auto _ : state) {
        if (!pgrepExact()) {
            state.SkipWithError("pgrep could not be run");
            break;
        }
    }
}

}  // namespace

BENCHMARK(IsProcessRunningOnce)->Unit(benchmark::kMicrosecond);
BENCHMARK(PgrepExactOnce)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
