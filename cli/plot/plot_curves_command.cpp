#include "cli/plot/plot_curves_command.h"

#include <qcustomplot.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>

#include "cli/analyse_plot.h"
#include "cli/cli_support.h"
#include "cli/curve_tool_support.h"
#include "cli/json_writer.h"
#include "cli/plot/plot_support.h"
#include "graph/plot_curves.h"
#include "graph/plot_figure.h"
#include "record_store/bin_data_set.h"
#include "record_store/editor_error.h"
#include "record_store/measurement_access.h"
#include "record_store/presentation_record.h"

namespace {

constexpr double kNoX = std::numeric_limits<double>::quiet_NaN();

// The glow temperature of each row of a TL column: element k lies at (k + 1) x "Spacing"
// degC, as the curve viewer draws it. Empty when the spacing is 0.
std::vector<double> GlowTemperatures(const TCurveColumn& c) {
    std::vector<double> x;
    const int spacing = c.curve.spacing;
    if (spacing <= 0) return x;
    for (int row = 1; row <= static_cast<int>(c.rows.size()); ++row) {
        const int element = c.firstElement + row - c.firstDataRow;
        x.push_back(row < c.firstDataRow ? kNoX : static_cast<double>(element + 1) * spacing);
    }
    return x;
}

// The channel of each row of a shine-down column: element k is channel k (element 0 of a
// record's curve is no channel), except in short shines, where element k is channel k + 1.
int ChannelOfRow(const TCurveColumn& c, int row) {
    const int element = c.firstElement + row - c.firstDataRow;
    return c.layout == TColumnLayout::RawFromZero ? element + 1 : element;
}

struct TShineTimes {
    std::vector<double> end;    // time at the end of each row's channel, s
    std::vector<double> width;  // the channel's dwell time, s
};

TShineTimes ShineTimes(const TCurveColumn& c, const TTimeBases& bases) {
    TShineTimes t;
    const int rows = static_cast<int>(c.rows.size());
    for (int row = 1; row <= rows; ++row) {
        const int channel = ChannelOfRow(c, row);
        if (row < c.firstDataRow || channel < 1) {
            t.end.push_back(kNoX);
            t.width.push_back(1);
            continue;
        }
        double end = 0;
        for (int k = 1; k <= channel; ++k) end += OslChannelWidth(k, bases);
        t.end.push_back(end);
        t.width.push_back(OslChannelWidth(channel, bases));
    }
    return t;
}

bool HasTimeBases(const TTimeBases& b) {
    return b.N10 + b.N100 + b.N1000 + b.N10000 > 0;
}

// Physical axes for a figure: TL curves against temperature, shine-downs against time (as
// count rates when the channels' widths differ). Mixed kinds keep the editor's axes.
void SetPhysicalAxes(TBinDataSet& store, const std::vector<TCurveColumn>& columns,
                     TCurvePlotOptions& plot) {
    if (columns.empty()) return;
    const bool allTL =
        std::all_of(columns.begin(), columns.end(), [](const TCurveColumn& c) { return c.isTL; });
    if (allTL) {
        for (const TCurveColumn& c : columns) {
            plot.physicalX.push_back(GlowTemperatures(c));
            if (plot.physicalX.back().empty()) {  // "Spacing" 0: the point number
                plot.physicalX.clear();
                return;
            }
        }
        plot.xLabel = QStringLiteral("Temperature (\u00b0C)");
        return;
    }
    if (!AllShineDown(columns)) return;
    bool varying = false;
    std::vector<TShineTimes> times;
    for (const TCurveColumn& c : columns) {
        store.GotoBookmark(c.bookmark);
        const TTimeBases bases = ReadTimeBases(store);
        if (!HasTimeBases(bases)) return;  // no timing: the channel number
        times.push_back(ShineTimes(c, bases));
        for (double w : times.back().width)
            if (w != times.back().width.front()) varying = true;
    }
    for (const TShineTimes& t : times) {
        plot.physicalX.push_back(t.end);
        if (varying) {
            std::vector<double> rate;
            for (double w : t.width) rate.push_back(1.0 / w);
            plot.yFactor.push_back(rate);
        }
    }
    plot.xLabel = QStringLiteral("Time (s)");
    if (varying) plot.yLabel = QStringLiteral("Signal (counts/s)");
}

}  // namespace

int RunPlotCurvesCommand(const std::vector<std::string>& args) {
    return RunGuarded([&] {
        const TCommandLine line =
            ParseCommandLine(args, {"--schema", "--records", "--out", "--size", "--dpi"},
                             {"--subtracted", "--log-x", "--log-y", "--no-legend", "--no-id"});
        if (line.help) {
            std::cout << UsageText();
            return static_cast<int>(kExitOk);
        }
        if (line.positional.size() != 1) throw TUsageError{"plot-curves needs one FILE"};
        if (!line.Has("--records")) throw TUsageError{"plot-curves needs --records all|N,M,..."};
        const std::optional<std::string> out = line.Value("--out");
        if (!out || out->empty())
            throw TUsageError{"plot-curves needs --out FILE (.png, .svg, .pdf)"};
        TFigureOptions figure = FigureOptionsOf(line, "--size");
        const TPlotSize size = ParsePlotSize("--size", figure.size, figure.dpi);

        TBinDataSet store;
        const TViewKind kind =
            OpenToolView(store, line.positional[0], line.Value("--schema").value_or(""));
        // Curves are titled by the records' "ShortInfo", as in the editor.
        if (kind == TViewKind::Dat || kind == TViewKind::Sad)
            store.SetOnCalcFields(presentation::MakeCalculationCallback(
                kind == TViewKind::Dat ? TRecordKind::Dat : TRecordKind::Sad));
        const TCurveFieldList curves = ToolCurveFields(store);
        const auto list = ParseRecordList(store, *line.Value("--records"));
        std::vector<std::int32_t> ids;
        if (list)
            ids = *list;
        else
            for (int i = 0; i < store.RecordCount(); ++i) ids.push_back(store.RecordAt(i).id);
        if (ids.empty()) throw TEditorError("No records to plot.");
        TCurveLoadOptions options;
        options.subtractedView = line.Has("--subtracted");
        options.halcyonTitles = kind != TViewKind::General;
        const TCurveLoadResult loaded = LoadCurveColumns(store, curves, options, ids);

        TCurvePlotOptions plot;
        plot.currentColumn = loaded.columns.empty() ? -1 : 0;
        plot.logX = line.Has("--log-x") && AllShineDown(loaded.columns);
        plot.logY = line.Has("--log-y");
        plot.colourCycle = true;
        plot.legend = figure.legend;
        SetPhysicalAxes(store, loaded.columns, plot);
        figure.idText =
            IdentificationText(std::filesystem::path(line.positional[0]).filename().string(),
                               options.subtractedView ? "subtracted curves" : "raw curves", "", "");

        const std::unique_ptr<QApplication> app = MakePlotApplication();
        QCustomPlot chart;
        StartFigure(chart, QStringLiteral("Luminescence"), figure, size);
        DrawCurveColumns(chart, loaded.columns, plot);
        PlaceLegend(chart, figure.legend && loaded.columns.size() > 1);
        FinishFigure(chart, *out, size);

        TJsonWriter json(std::cout);
        json.BeginObject();
        json.Member("out", *out);
        json.Member("width", size.pixelWidth);
        json.Member("height", size.pixelHeight);
        json.Member("dpi", size.dpi);
        json.Member("curves", static_cast<std::int64_t>(loaded.columns.size()));
        json.Member("log_x", plot.logX);
        json.Member("log_y", plot.logY);
        json.Member("x_axis", chart.xAxis->label().toStdString());
        json.Member("y_axis", chart.yAxis->label().toStdString());
        if (loaded.zeroSpacing > 0)
            json.Member("warning", "Spacing 0: curves drawn against the point number");
        json.EndObject();
        json.Finish();
        return static_cast<int>(kExitOk);
    });
}
