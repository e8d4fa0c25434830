#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/fit_command.h"
#ifdef ORVANE_CLI_PLOT
#include "cli/analyse_plot.h"
#include "cli/plot/growth_plot_writer.h"
#include "cli/plot/plot_curves_command.h"
#include "cli/qt/settings_file_reader.h"
#include "cli/settings_file.h"
#endif

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::cerr << UsageText();
        return kExitUsage;
    }
    const std::string command = args.front();
    args.erase(args.begin());
#ifdef ORVANE_CLI_PLOT
    SetSettingsFileReader(&ReadSettingsFile);
#endif
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << UsageText();
        return kExitOk;
    }
    if (command == "fit") return RunFitCommand(args);
    if (command == "info") return RunInfoCommand(args);
    if (command == "dump") return RunDumpCommand(args);
    if (command == "set") return RunSetCommand(args);
    if (command == "make-sample") return RunMakeSampleCommand(args);
    if (command == "summary") return RunSummaryCommand(args);
    if (command == "restore") return RunRestoreCommand(args);
    if (command == "subtract") return RunSubtractCommand(args);
    if (command == "deglitch") return RunDeglitchCommand(args);
    if (command == "normalize") return RunNormalizeCommand(args);
    if (command == "export-ascii") return RunExportAsciiCommand(args);
    if (command == "dose-rate") return RunDoseRateCommand(args);
    if (command == "age") return RunAgeCommand(args);
    if (command == "fading") return RunFadingCommand(args);
    if (command == "import") return RunImportCommand(args);
#ifdef ORVANE_CLI_PLOT
    SetGrowthPlotWriter(&WriteGrowthPlot);
    SetPlateauPlotWriter(&WritePaleodosePlot);
#endif
    if (command == "analyse") return RunAnalyseCommand(args);
#ifdef ORVANE_CLI_PLOT
    if (command == "plot-curves") return RunPlotCurvesCommand(args);
#endif
    std::cerr << "orvane-cli: unknown command '" << command << "'\n" << UsageText();
    return kExitUsage;
}
