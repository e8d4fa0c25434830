#include "cli/plot/plot_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <qcustomplot.h>

#include <cstdlib>
#include <string>

#include "graph/plot_export.h"
#include "graph/plot_figure.h"
#include "graph/plot_style.h"
#include "record_store/editor_error.h"

std::unique_ptr<QApplication> MakePlotApplication() {
    if (QApplication::instance()) return nullptr;
    // Qt wants a private runtime folder; without a session there is none, so make one.
    if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
        const std::string folder = "/tmp/orvane-cli-runtime-" + std::to_string(::getuid());
        ::mkdir(folder.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") == nullptr &&
        std::getenv("WAYLAND_DISPLAY") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "orvane-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QApplication>(argc, argv);
}

void StartFigure(QCustomPlot& chart, const QString& caption, const TFigureOptions& figure,
                 const TPlotSize& size) {
    const TPlotFileSize file{size.pixelWidth, size.pixelHeight, size.dpi};
    const QSize layout = PlotLayoutSize(file);
    chart.resize(layout);
    // A widget never shown gets its resize event only when shown: the chart lays itself out
    // in its viewport, which takes the size now.
    chart.setViewport(QRect(QPoint(0, 0), layout));
    ApplyPlotStyle(chart, caption);
    if (figure.identification && !figure.idText.empty())
        SetIdentificationLine(chart, QString::fromStdString(figure.idText));
    chart.replot();
}

void FinishFigure(QCustomPlot& chart, const std::string& path, const TPlotSize& size) {
    QString error;
    if (!SavePlotFile(chart, QString::fromStdString(path),
                      TPlotFileSize{size.pixelWidth, size.pixelHeight, size.dpi}, &error))
        throw TEditorError(error.toStdString());
}
