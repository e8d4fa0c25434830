#include "cli/plot/plot_curves_command.h"

#include <qcustomplot.h>

#include <QApplication>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "cli/analyse_plot.h"
#include "cli/cli_support.h"
#include "cli/curve_tool_support.h"
#include "cli/json_writer.h"
#include "cli/plot/plot_support.h"
#include "graph/plot_curves.h"
#include "graph/plot_export.h"
#include "graph/plot_style.h"
#include "record_store/bin_data_set.h"
#include "record_store/editor_error.h"
#include "record_store/presentation_record.h"

int RunPlotCurvesCommand(const std::vector<std::string>& args) {
    return RunGuarded([&] {
        const TCommandLine line = ParseCommandLine(
            args, {"--schema", "--records", "--out", "--size"}, {"--subtracted", "--log-x"});
        if (line.help) {
            std::cout << UsageText();
            return static_cast<int>(kExitOk);
        }
        if (line.positional.size() != 1) throw TUsageError{"plot-curves needs one FILE"};
        if (!line.Has("--records")) throw TUsageError{"plot-curves needs --records all|N,M,..."};
        const std::optional<std::string> out = line.Value("--out");
        if (!out || out->empty())
            throw TUsageError{"plot-curves needs --out FILE (.png, .svg, .pdf)"};
        int width = 1200, height = 900;
        if (const auto size = line.Value("--size")) ParsePlotSize("--size", *size, width, height);

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

        const std::unique_ptr<QApplication> app = MakePlotApplication();
        QCustomPlot chart;
        chart.resize(width, height);
        ApplyPlotStyle(chart, QStringLiteral("Luminescence"));
        TCurvePlotOptions plot;
        plot.currentColumn = loaded.columns.empty() ? -1 : 0;
        plot.logX = line.Has("--log-x") && AllShineDown(loaded.columns);
        DrawCurveColumns(chart, loaded.columns, plot);
        QString error;
        if (!SavePlotFile(chart, QString::fromStdString(*out), width, height, &error))
            throw TEditorError(error.toStdString());

        TJsonWriter json(std::cout);
        json.BeginObject();
        json.Member("out", *out);
        json.Member("width", width);
        json.Member("height", height);
        json.Member("curves", static_cast<std::int64_t>(loaded.columns.size()));
        json.Member("log_x", plot.logX);
        if (loaded.zeroSpacing > 0)
            json.Member("warning", "Spacing 0: curves drawn against the point number");
        json.EndObject();
        json.Finish();
        return static_cast<int>(kExitOk);
    });
}
