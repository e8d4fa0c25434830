// orvane-cli import: converts a BIN/BINX data file into our record files in a folder.
#include <iostream>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/curve_tool_support.h"
#include "cli/json_writer.h"
#include "tools/binx_import.h"

int RunImportCommand(const std::vector<std::string>& args) {
    return RunGuarded([&] {
        const TCommandLine line = ParseCommandLine(args, {"--out", "--dose-rate"}, {});
        if (line.help) {
            std::cout << UsageText();
            return static_cast<int>(kExitOk);
        }
        if (line.positional.size() != 1) throw TUsageError{"import needs one FILE.bin or FILE.binx"};
        const std::optional<std::string> out = line.Value("--out");
        if (!out || out->empty()) throw TUsageError{"import needs --out DIR"};
        TBinxImportOptions options;
        if (const auto rate = line.Value("--dose-rate")) {
            options.doseRate = ParseNumberOption("--dose-rate", *rate);
            if (!(*options.doseRate > 0)) throw TUsageError{"--dose-rate needs a rate above 0 Gy/s"};
        }
        const TBinxImportResult result = ImportBinxFile(line.positional[0], *out, options);
        TJsonWriter json(std::cout);
        json.BeginObject();
        json.Member("version", result.version);
        json.Member("records", result.records);
        json.Key("written");
        json.BeginArray();
        for (const std::string& path : result.written) json.String(path);
        json.EndArray();
        json.Key("positions");
        json.BeginArray();
        for (int p : result.positions) json.Integer(p);
        json.EndArray();
        json.Key("warnings");
        json.BeginArray();
        for (const std::string& w : result.warnings) json.String(w);
        json.EndArray();
        json.EndObject();
        std::cout << "\n";
        for (const std::string& w : result.warnings) std::cerr << "Warning: " << w << "\n";
        return static_cast<int>(kExitOk);
    });
}
