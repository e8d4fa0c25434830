#pragma once
// The commands of orvane-cli other than fit. Each takes the words after its name and returns
// the process exit status (TExitStatus).
#include <string>
#include <vector>

int RunInfoCommand(const std::vector<std::string>& args);
int RunDumpCommand(const std::vector<std::string>& args);
int RunSetCommand(const std::vector<std::string>& args);
int RunMakeSampleCommand(const std::vector<std::string>& args);
int RunSummaryCommand(const std::vector<std::string>& args);
int RunRestoreCommand(const std::vector<std::string>& args);
int RunSubtractCommand(const std::vector<std::string>& args);
int RunDeglitchCommand(const std::vector<std::string>& args);
int RunNormalizeCommand(const std::vector<std::string>& args);
int RunExportAsciiCommand(const std::vector<std::string>& args);
int RunDoseRateCommand(const std::vector<std::string>& args);
int RunAgeCommand(const std::vector<std::string>& args);
int RunAnalyseCommand(const std::vector<std::string>& args);
int RunFadingCommand(const std::vector<std::string>& args);
int RunImportCommand(const std::vector<std::string>& args);
