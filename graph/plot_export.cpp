#include "graph/plot_export.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QSvgGenerator>

namespace {

bool SaveSvg(QCustomPlot& chart, const QString& path, int width, int height) {
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(QSize(width, height));
    svg.setViewBox(QRect(0, 0, width, height));
    svg.setResolution(96);
    svg.setTitle(QStringLiteral("Orvane plot"));
    QCPPainter painter;
    if (!painter.begin(&svg)) return false;
    chart.toPainter(&painter, width, height);
    return painter.end();
}

}  // namespace

QString PlotFileFilter() {
    return QStringLiteral("PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)");
}

bool SavePlotFile(QCustomPlot& chart, const QString& path, int width, int height, QString* error) {
    if (width <= 0) width = chart.width();
    if (height <= 0) height = chart.height();
    const QString suffix = QFileInfo(path).suffix().toLower();
    bool ok = false;
    if (suffix == QLatin1String("png"))
        ok = chart.savePng(path, width, height);
    else if (suffix == QLatin1String("svg"))
        ok = SaveSvg(chart, path, width, height);
    else if (suffix == QLatin1String("pdf"))
        ok = chart.savePdf(path, width, height, QCP::epNoCosmetic, QStringLiteral("Orvane Editor"),
                           QStringLiteral("Orvane plot"));
    else {
        if (error)
            *error =
                QStringLiteral("Unknown plot file type: %1 (use .png, .svg or .pdf)").arg(path);
        return false;
    }
    if (!ok && error) *error = QStringLiteral("Could not write the plot to %1").arg(path);
    return ok;
}

void CopyPlotToClipboard(QCustomPlot& chart) {
    QApplication::clipboard()->setImage(chart.toPixmap().toImage());
}
