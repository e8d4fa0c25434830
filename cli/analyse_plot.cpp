#include "cli/analyse_plot.h"

#include <cmath>

#include "cli/cli_support.h"
#include "cli/json_writer.h"

namespace {
TGrowthPlotWriter installedWriter = nullptr;
TPlateauPlotWriter installedPlateauWriter = nullptr;

// A whole number of at most five digits, or nullopt.
std::optional<int> WholeNumber(const std::string& part) {
    if (part.empty() || part.size() > 5 ||
        part.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoi(part);
}

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

TPlotSize ParsePlotSize(const std::string& option, const std::string& text,
                        const std::string& dpiText) {
    TPlotSize size;
    const bool millimetres = text.size() > 2 && text.compare(text.size() - 2, 2, "mm") == 0;
    if (!dpiText.empty()) {
        const std::optional<int> dpi = WholeNumber(dpiText);
        if (!dpi || *dpi < 50 || *dpi > 2400)
            throw TUsageError{"--dpi needs a resolution from 50 to 2400 dots per inch"};
        size.dpi = *dpi;
    } else {
        size.dpi = millimetres ? 300 : 96;
    }
    if (text.empty()) return size;
    const std::string usage =
        option + " needs WIDTHxHEIGHT in pixels (1200x900) or millimetres (85x70mm)";
    const std::string sides = millimetres ? text.substr(0, text.size() - 2) : text;
    const std::size_t x = sides.find('x');
    if (x == std::string::npos) throw TUsageError{usage};
    const std::optional<int> w = WholeNumber(sides.substr(0, x));
    const std::optional<int> h = WholeNumber(sides.substr(x + 1));
    if (!w || !h) throw TUsageError{usage};
    if (millimetres) {
        if (*w < 10 || *w > 2000 || *h < 10 || *h > 2000)
            throw TUsageError{option + ": each side from 10 to 2000 mm"};
        size.pixelWidth = static_cast<int>(std::lround(*w / 25.4 * size.dpi));
        size.pixelHeight = static_cast<int>(std::lround(*h / 25.4 * size.dpi));
        if (size.pixelWidth > 20000 || size.pixelHeight > 20000)
            throw TUsageError{option + ": more than 20000 pixels a side at this --dpi"};
    } else {
        if (*w < 16 || *w > 20000 || *h < 16 || *h > 20000)
            throw TUsageError{option + ": each side from 16 to 20000 pixels"};
        size.pixelWidth = *w;
        size.pixelHeight = *h;
    }
    return size;
}

TFigureOptions FigureOptionsOf(const TCommandLine& line, const std::string& sizeOption) {
    TFigureOptions figure;
    figure.sizeOption = sizeOption;
    figure.size = line.Value(sizeOption).value_or("");
    figure.dpi = line.Value("--dpi").value_or("");
    figure.legend = !line.Has("--no-legend");
    figure.identification = !line.Has("--no-id");
    // Refuse a bad size before any computation.
    ParsePlotSize(sizeOption, figure.size, figure.dpi);
    return figure;
}

std::string IdentificationText(const std::string& file, const std::string& device,
                               const std::string& method, const std::string& bleaching) {
    std::string text;
    for (const std::string& part :
         {file, device, method, bleaching.empty() ? std::string() : "bleaching: " + bleaching}) {
        if (part.empty()) continue;
        if (!text.empty()) text += " \xe2\x80\x94 ";  // an em dash between the parts
        text += part;
    }
    return text;
}

std::string PlotJson(const std::string& file, const TPlotSize& size) {
    return "{\"file\":" + JsonQuoted(file) + ",\"width\":" + std::to_string(size.pixelWidth) +
           ",\"height\":" + std::to_string(size.pixelHeight) +
           ",\"dpi\":" + std::to_string(size.dpi) +
           ",\"width_mm\":" + JsonNumber(std::round(size.WidthMm() * 10) / 10) +
           ",\"height_mm\":" + JsonNumber(std::round(size.HeightMm() * 10) / 10) + "}";
}
