#include "cli/plot/dose_model_plot_writer.h"

#include <qcustomplot.h>

#include "cli/analyse_plot.h"
#include "cli/plot/plot_support.h"
#include "graph/plot_export.h"
#include "graph/plot_radial.h"
#include "graph/plot_style.h"
#include "record_store/editor_error.h"

void WriteDoseModelPlot(const TDoseModelPlotRequest& request) {
    int width = 1200, height = 900;
    if (!request.size.empty()) ParsePlotSize("--plot-size", request.size, width, height);
    const std::unique_ptr<QApplication> app = MakePlotApplication();
    QCustomPlot chart;
    chart.resize(width, height);
    ApplyPlotStyle(chart, QStringLiteral("Radial plot"));
    chart.replot();
    DrawRadialPlot(chart, *request.doses, {}, request.result->De,
                   QString::fromStdString(DoseModelSummary(*request.result)));
    QString error;
    if (!SavePlotFile(chart, QString::fromStdString(request.path), width, height, &error))
        throw TEditorError(error.toStdString());
}
