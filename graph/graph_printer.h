#pragma once
// Printing a graph window's chart on a page: a header with the program's mark, the window
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

// Print margins are at least this wide on every side of the page.
inline constexpr double kLeastPrintMarginMm = 10;

// Widens the printer's page margins to at least kLeastPrintMarginMm on each side.
void EnsurePrintMargins(QPrinter& printer);

// Prints onto `printer` (whose resolution should be the screen's: QCustomPlot sizes its
// texts in points of the device it paints on). The page turns portrait or landscape by the
// layout; the chart is fitted into the page beside the notes, so that the whole chart and
// every line of the notes are printed (notes too long for one page go on over the next).
// False when the printer cannot start.
bool PrintGraph(QPrinter& printer, QCustomPlot& chart, const QString& title, const QString& notes,
                const TPrintOptions& options);
