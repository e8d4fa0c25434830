#pragma once
// Printing a graph window's chart on one page: a header with the program's mark, the window
// title and the time, then the chart with its caption and the notes, in one of three page
// layouts, optionally in black and white.
#include <QString>

class QCustomPlot;
class QPrinter;

struct TPrintOptions {
    bool blackAndWhite = true;
    // 0 portrait, chart above notes; 1 portrait, notes above chart; 2 landscape, chart above
    // notes.
    int layout = 0;
};

// Prints onto `printer` (whose resolution should be the screen's: QCustomPlot sizes its
// texts in points of the device it paints on). False when the printer cannot start.
bool PrintGraph(QPrinter& printer, QCustomPlot& chart, const QString& title, const QString& notes,
                const TPrintOptions& options);
