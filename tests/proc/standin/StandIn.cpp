// Stands in for one of the station's programs: tells the tests how it was started (next to
// its own file, as <file>.ran), then waits until it is killed.
#include <limits.h>
#include <unistd.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    char folder[PATH_MAX];
    if (length > 0 && getcwd(folder, sizeof folder) != nullptr) {
        const std::string report = std::string(self, static_cast<std::size_t>(length)) + ".ran";
        const std::string partial = report + "." + std::to_string(getpid());
        if (FILE* out = std::fopen(partial.c_str(), "w")) {
            std::fprintf(out, "%d\n%s\n%d\n", static_cast<int>(getpid()), folder, argc);
            for (int i = 1; i < argc; ++i)
                std::fprintf(out, "%s\n", argv[i]);
            std::fclose(out);
            // Readers must never see half a report.
            std::rename(partial.c_str(), report.c_str());
        }
    }
    for (;;)
        pause();
}
