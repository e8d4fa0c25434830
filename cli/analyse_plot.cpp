#include "cli/analyse_plot.h"

#include "cli/cli_support.h"

namespace {
TGrowthPlotWriter installedWriter = nullptr;
TPlateauPlotWriter installedPlateauWriter = nullptr;
}  // namespace

void SetPlateauPlotWriter(TPlateauPlotWriter writer) {
    installedPlateauWriter = writer;
}

TPlateauPlotWriter PlateauPlotWriter() {
    return installedPlateauWriter;
}

void SetGrowthPlotWriter(TGrowthPlotWriter writer) {
    installedWriter = writer;
}

TGrowthPlotWriter GrowthPlotWriter() {
    return installedWriter;
}

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
