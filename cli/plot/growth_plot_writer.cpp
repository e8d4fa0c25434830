#include "cli/plot/growth_plot_writer.h"

#include <qcustomplot.h>

#include "cli/analyse_plot.h"
#include "cli/plot/plot_support.h"
#include "fitting/result_codes.h"
#include "graph/plot_figure.h"
#include "graph/plot_growth.h"
#include "graph/plot_style.h"

namespace {

// The result in the plot: the dose with its error, and what its code says when it is not
// "O.K." (a warning reaches the reader of the figure too).
QString ResultText(const TFitRecord& fit) {
    QString text = DoseResultText(fit.ED, fit.EDError);
    if (fit.ResultCode != 0) {
        std::string message;
        ResultMessage(fit.ResultCode, message);
        text += QLatin1Char('\n') + QString::fromStdString(message);
    }
    return text;
}

}  // namespace

void WriteGrowthPlot(const TGrowthPlotRequest& request, TPlotSize& size) {
    size = ParsePlotSize(request.figure.sizeOption, request.figure.size, request.figure.dpi);
    const std::unique_ptr<QApplication> app = MakePlotApplication();
    QCustomPlot chart;
    StartFigure(chart, QString::fromStdString(request.caption), request.figure, size);
    TPickables pickables;
    const TGrowthPoints& points = *request.points;
    DrawGrowthPoints(chart, points, RangesFromPoints(points), true, pickables);
    DrawGrowthPointErrors(chart, points);
    if (request.fit)
        DrawFittedCurve(chart, *request.fit, true, points, request.index, true, pickables);
    chart.xAxis->setLabel(QStringLiteral("Dose (Gy)"));
    chart.yAxis->setLabel(QString::fromStdString(request.yTitle));
    if (request.fit) AddResultText(chart, ResultText(*request.fit));
    ShowGrowthLegend(chart, points, request.fit ? request.fit->Method : 0, request.figure.legend);
    FinishFigure(chart, request.path, size);
}

void WritePaleodosePlot(const TPlateauPlotRequest& request, TPlotSize& size) {
    size = ParsePlotSize(request.figure.sizeOption, request.figure.size, request.figure.dpi);
    const std::unique_ptr<QApplication> app = MakePlotApplication();
    QCustomPlot chart;
    StartFigure(chart, QStringLiteral("Paleodose results"), request.figure, size);
    TPickables pickables;
    DrawPlateau(chart, *request.plateau, request.dataKind, false, -1, true, pickables);
    chart.xAxis->setLabel(QString::fromStdString(request.xLabel));
    chart.yAxis->setLabel(QStringLiteral("Paleodose (Gy)"));
    ShowPlateauLegend(chart, request.figure.legend);
    FinishFigure(chart, request.path, size);
}
