// orvane-cli make-sample: writes the bundled sample data set into a folder.
#include <iostream>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "tools/sample_generator.h"

int RunMakeSampleCommand(const std::vector<std::string>& args) {
    return RunGuarded([&] {
        const TCommandLine line = ParseCommandLine(args, {}, {});
        if (line.help) {
            std::cout << UsageText();
            return static_cast<int>(kExitOk);
        }
        if (line.positional.size() != 1) throw TUsageError{"make-sample needs one DIR"};
        MakeSample(line.positional[0]);
        return static_cast<int>(kExitOk);
    });
}
