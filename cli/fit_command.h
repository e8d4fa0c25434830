#pragma once
// `orvane-cli fit`: one call of the dose-estimation engine on points read from a CSV file.
// args are the words after "fit". Returns the process exit status (0, 1 failure, 2 usage).
#include <string>
#include <vector>

int RunFitCommand(const std::vector<std::string>& args);
