#include "cli/plot/plot_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "cli/cli_support.h"

void ParsePlotSize(const std::string& option, const std::string& text, int& width, int& height) {
    const std::string usage = option + " needs WIDTHxHEIGHT in pixels, e.g. 1200x900";
    const std::size_t x = text.find('x');
    const auto number = [&](const std::string& part) {
        if (part.empty() || part.size() > 5 ||
            part.find_first_not_of("0123456789") != std::string::npos)
            throw TUsageError{usage};
        const int v = std::stoi(part);
        if (v < 16 || v > 20000) throw TUsageError{option + ": each side from 16 to 20000 pixels"};
        return v;
    };
    if (x == std::string::npos) throw TUsageError{usage};
    width = number(text.substr(0, x));
    height = number(text.substr(x + 1));
}

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
