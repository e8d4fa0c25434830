#include "graph/plot_export.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <cmath>

namespace {

constexpr double kScreenDpi = 96;

bool SavePng(QCustomPlot& chart, const QString& path, const TPlotFileSize& size,
             const QSize& layout) {
    QImage image(size.width, size.height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QCPPainter painter(&image);
        if (!painter.isActive()) return false;
        painter.setMode(QCPPainter::pmNoCaching);
        // Thin lines stay visible when drawn larger than the screen.
        if (size.dpi > kScreenDpi) painter.setMode(QCPPainter::pmNonCosmetic);
        painter.scale(static_cast<double>(size.width) / layout.width(),
                      static_cast<double>(size.height) / layout.height());
        chart.toPainter(&painter, layout.width(), layout.height());
    }
    // The resolution goes into the file, so that programs place it at its physical size.
    const int dotsPerMeter = static_cast<int>(std::lround(size.dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image.save(path, "PNG");
}

bool SaveSvg(QCustomPlot& chart, const QString& path, const QSize& layout) {
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(layout);
    svg.setViewBox(QRect(QPoint(0, 0), layout));
    svg.setResolution(static_cast<int>(kScreenDpi));
    svg.setTitle(QStringLiteral("Orvane plot"));
    QCPPainter painter;
    if (!painter.begin(&svg)) return false;
    chart.toPainter(&painter, layout.width(), layout.height());
    return painter.end();
}

// One page of exactly the plot's physical size, without margins.
bool SavePdf(QCustomPlot& chart, const QString& path, const TPlotFileSize& size,
             const QSize& layout) {
    QPdfWriter pdf(path);
    pdf.setCreator(QStringLiteral("Orvane Editor"));
    pdf.setTitle(QStringLiteral("Orvane plot"));
    pdf.setResolution(static_cast<int>(kScreenDpi));
    const QSizeF millimetres(size.width * 25.4 / size.dpi, size.height * 25.4 / size.dpi);
    if (!pdf.setPageSize(
            QPageSize(millimetres, QPageSize::Millimeter, QString(), QPageSize::ExactMatch)))
        return false;
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    QCPPainter painter;
    if (!painter.begin(&pdf)) return false;
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    painter.setMode(QCPPainter::pmNonCosmetic);
    painter.setWindow(QRect(QPoint(0, 0), layout));
    chart.toPainter(&painter, layout.width(), layout.height());
    return painter.end();
}

}  // namespace

QString PlotFileFilter() {
    return QStringLiteral("PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)");
}

QSize PlotLayoutSize(const TPlotFileSize& size) {
    const double factor = kScreenDpi / std::max(size.dpi, 1);
    return {std::max(1, static_cast<int>(std::lround(size.width * factor))),
            std::max(1, static_cast<int>(std::lround(size.height * factor)))};
}

bool SavePlotFile(QCustomPlot& chart, const QString& path, const TPlotFileSize& requested,
                  QString* error) {
    TPlotFileSize size = requested;
    if (size.width <= 0 || size.height <= 0) {
        size.width = chart.width();
        size.height = chart.height();
        size.dpi = static_cast<int>(kScreenDpi);
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("png") && suffix != QLatin1String("svg") &&
        suffix != QLatin1String("pdf")) {
        if (error)
            *error =
                QStringLiteral("Unknown plot file type: %1 (use .png, .svg or .pdf)").arg(path);
        return false;
    }
    const QSize layout = PlotLayoutSize(size);
    bool ok = false;
    if (suffix == QLatin1String("png"))
        ok = SavePng(chart, path, size, layout);
    else if (suffix == QLatin1String("svg"))
        ok = SaveSvg(chart, path, layout);
    else
        ok = SavePdf(chart, path, size, layout);
    if (!ok && error) *error = QStringLiteral("Could not write the plot to %1").arg(path);
    return ok;
}

bool SavePlotFile(QCustomPlot& chart, const QString& path, int width, int height, QString* error) {
    return SavePlotFile(chart, path, TPlotFileSize{width, height, static_cast<int>(kScreenDpi)},
                        error);
}

void CopyPlotToClipboard(QCustomPlot& chart) {
    QApplication::clipboard()->setImage(chart.toPixmap().toImage());
}
