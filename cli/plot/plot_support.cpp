#include "cli/plot/plot_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

std::unique_ptr<QApplication> MakePlotApplication() {
    if (QApplication::instance()) return nullptr;
    // Qt wants a private runtime folder; without a session there is none, so make one.
    if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
        const std::string folder = "/tmp/orvane-cli-runtime-" + std::to_string(::getuid());
        ::mkdir(folder.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") == nullptr &&
        std::getenv("WAYLAND_DISPLAY") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "orvane-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QApplication>(argc, argv);
}
