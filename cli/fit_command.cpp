#include "cli/fit_command.h"

#include <iostream>

int RunFitCommand(const std::vector<std::string>&) {
    std::cerr << "fit: not available yet\n";
    return 1;
}
