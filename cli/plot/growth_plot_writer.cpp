#include "cli/plot/growth_plot_writer.h"

#include <qcustomplot.h>

#include "cli/analyse_plot.h"
#include "cli/plot/plot_support.h"
#include "graph/plot_export.h"
#include "graph/plot_growth.h"
#include "graph/plot_style.h"
#include "record_store/editor_error.h"

void WriteGrowthPlot(const TGrowthPlotRequest& request, int& width, int& height) {
    width = 1200;
    height = 900;
    if (!request.size.empty()) ParsePlotSize("--plot-size", request.size, width, height);
    const std::unique_ptr<QApplication> app = MakePlotApplication();
    QCustomPlot chart;
    chart.resize(width, height);
    ApplyPlotStyle(chart, QString::fromStdString(request.caption));
    // Lay the chart out at its size first: the margins the marks keep are in pixels.
    chart.replot();
    TPickables pickables;
    const TGrowthPoints& points = *request.points;
    DrawGrowthPoints(chart, points, RangesFromPoints(points), true, pickables);
    DrawGrowthPointErrors(chart, points);
    if (request.fit)
        DrawFittedCurve(chart, *request.fit, true, points, request.index, true, pickables);
    chart.xAxis->setLabel(QStringLiteral("Dose, Gy"));
    chart.yAxis->setLabel(QStringLiteral("Intensity"));
    AddResultText(chart, QString::fromStdString(request.resultText));
    QString error;
    if (!SavePlotFile(chart, QString::fromStdString(request.path), width, height, &error))
        throw TEditorError(error.toStdString());
}

void WritePaleodosePlot(const TPlateauPlotRequest& request, int& width, int& height) {
    width = 1200;
    height = 900;
    if (!request.size.empty()) ParsePlotSize("--plot-size", request.size, width, height);
    const std::unique_ptr<QApplication> app = MakePlotApplication();
    QCustomPlot chart;
    chart.resize(width, height);
    ApplyPlotStyle(chart, QStringLiteral("Paleodose results"));
    chart.replot();
    TPickables pickables;
    DrawPlateau(chart, *request.plateau, request.dataKind, false, -1, true, pickables);
    chart.xAxis->setLabel(QString::fromStdString(request.xLabel));
    chart.yAxis->setLabel(QStringLiteral("Paleodose"));
    QString error;
    if (!SavePlotFile(chart, QString::fromStdString(request.path), width, height, &error))
        throw TEditorError(error.toStdString());
}
