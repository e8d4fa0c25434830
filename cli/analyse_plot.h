#pragma once
// `orvane-cli analyse --plot FILE`: the computed solution drawn as the point viewer shows
// it. The drawing needs Qt and the plotting library, which the command library does not
// link: the program installs the writer at start, and analyse refuses --plot without one.
#include <cstdint>
#include <string>

#include "analysis/growth_points.h"
#include "analysis/plateau_array.h"
#include "fitting/fit_record.h"

struct TCommandLine;

// The size of a plot file: the PNG's pixels and the resolution that fixes its physical size
// (the SVG's and PDF's size). Texts are laid out in points of that physical size, so that a
// figure of a journal column keeps 7 to 9 pt fonts at any resolution.
struct TPlotSize {
    int pixelWidth = 1200;
    int pixelHeight = 900;
    int dpi = 96;
    double WidthMm() const { return pixelWidth * 25.4 / dpi; }
    double HeightMm() const { return pixelHeight * 25.4 / dpi; }
};

// "WxH" in pixels (each 16 to 20000) or "WxHmm" in millimetres (each 10 to 2000), with the
// resolution `dpiText` (empty: 300 dpi for millimetres, 96 dpi for pixels; else 50 to 2400).
// Pixel sizes keep their pixels whatever the resolution. Throws TUsageError naming `option`
// (or --dpi) otherwise. An empty `text` is 1200x900 pixels.
TPlotSize ParsePlotSize(const std::string& option, const std::string& text,
                        const std::string& dpiText = "");

// What a figure shows besides its data, and its size.
struct TFigureOptions {
    std::string size;  // "WxH" or "WxHmm"; empty: 1200x900 pixels
    std::string dpi;   // empty: by the size's unit
    std::string sizeOption = "--plot-size";
    bool legend = true;
    bool identification = true;
    std::string idText;  // file, device, method, bleaching
};

// The figure options of a plot command: `sizeOption`, --dpi, --no-legend, --no-id. The
// options must be among those the command line was parsed with.
TFigureOptions FigureOptionsOf(const TCommandLine& line, const std::string& sizeOption);
// "S12.DAT - OSL #1 - Additive dose - bleaching: SOLAR 120 min": the parts given, joined.
std::string IdentificationText(const std::string& file, const std::string& device,
                               const std::string& method, const std::string& bleaching);

struct TGrowthPlotRequest {
    const TGrowthPoints* points = nullptr;
    const TFitRecord* fit = nullptr;
    int32_t index = 0;
    std::string caption = "Growth data";
    std::string resultText;  // the solution line (kept in the JSON; the plot shows De +- error)
    std::string yTitle = "Signal (counts)";  // "Lx/Tx x Tn (counts)" for normalised SAR points
    std::string path;                        // .png, .svg or .pdf
    TFigureOptions figure;
};

// Writes the plot; throws TUsageError for a bad size and TEditorError when the file cannot
// be written. Returns the size written.
using TGrowthPlotWriter = void (*)(const TGrowthPlotRequest& request, TPlotSize& size);

void SetGrowthPlotWriter(TGrowthPlotWriter writer);
TGrowthPlotWriter GrowthPlotWriter();

// `analyse --range A B | --all --plot FILE`: the paleodose plot of the run, as the result
// viewer draws it.
struct TPlateauPlotRequest {
    const TPlateauArray* plateau = nullptr;
    uint8_t dataKind = 0;  // gkTemperature, gkChannel or gkDisk
    std::string xLabel;
    std::string path;  // .png, .svg or .pdf
    TFigureOptions figure;
};
using TPlateauPlotWriter = void (*)(const TPlateauPlotRequest& request, TPlotSize& size);
void SetPlateauPlotWriter(TPlateauPlotWriter writer);
TPlateauPlotWriter PlateauPlotWriter();

// The "plot" member of the JSON: file, pixel size, resolution and size in millimetres.
std::string PlotJson(const std::string& file, const TPlotSize& size);
