#pragma once
// `orvane-cli analyse --plot FILE`: the computed solution drawn as the point viewer shows
// it. The drawing needs Qt and the plotting library, which the command library does not
// link: the program installs the writer at start, and analyse refuses --plot without one.
#include <cstdint>
#include <string>

#include "analysis/growth_points.h"
#include "analysis/plateau_array.h"
#include "fitting/fit_record.h"

struct TGrowthPlotRequest {
    const TGrowthPoints* points = nullptr;
    const TFitRecord* fit = nullptr;
    int32_t index = 0;
    std::string caption = "Growth data";
    std::string resultText;  // the solution line
    std::string path;        // .png, .svg or .pdf
    std::string size;        // "WxH" in pixels; empty: 1200x900
};

// Writes the plot; throws TUsageError for a bad size and TEditorError when the file cannot
// be written. Returns the size written.
using TGrowthPlotWriter = void (*)(const TGrowthPlotRequest& request, int& width, int& height);

void SetGrowthPlotWriter(TGrowthPlotWriter writer);

// "WxH" in pixels, each 16 to 20000 (the --size and --plot-size options of the plot
// commands); throws TUsageError naming `option` otherwise.
void ParsePlotSize(const std::string& option, const std::string& text, int& width, int& height);
TGrowthPlotWriter GrowthPlotWriter();

// `analyse --range A B | --all --plot FILE`: the paleodose plot of the run, as the result
// viewer draws it.
struct TPlateauPlotRequest {
    const TPlateauArray* plateau = nullptr;
    uint8_t dataKind = 0;  // gkTemperature, gkChannel or gkDisk
    std::string xLabel;
    std::string path;  // .png, .svg or .pdf
    std::string size;  // "WxH" in pixels; empty: 1200x900
};
using TPlateauPlotWriter = void (*)(const TPlateauPlotRequest& request, int& width, int& height);
void SetPlateauPlotWriter(TPlateauPlotWriter writer);
TPlateauPlotWriter PlateauPlotWriter();
