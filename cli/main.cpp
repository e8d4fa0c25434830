#include <iostream>
#include <string>
#include <vector>

#include "cli/fit_command.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::cerr << "usage: orvane-cli COMMAND ...\n";
        return 2;
    }
    const std::string command = args.front();
    args.erase(args.begin());
    if (command == "fit") return RunFitCommand(args);
    std::cerr << "orvane-cli: unknown command '" << command << "'\n";
    return 2;
}
