#include "cli/plot/dose_model_plot_writer.h"

#include <qcustomplot.h>

#include "cli/analyse_plot.h"
#include "cli/plot/plot_support.h"
#include "graph/plot_radial.h"

void WriteDoseModelPlot(const TDoseModelPlotRequest& request) {
    const TPlotSize size =
        ParsePlotSize(request.figure.sizeOption, request.figure.size, request.figure.dpi);
    const std::unique_ptr<QApplication> app = MakePlotApplication();
    QCustomPlot chart;
    StartFigure(chart, QStringLiteral("Radial plot"), request.figure, size);
    DrawRadialPlot(chart, *request.doses, {}, request.result->De,
                   QString::fromStdString(DoseModelSummary(*request.result)));
    FinishFigure(chart, request.path, size);
}
