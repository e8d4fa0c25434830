#pragma once
// What the plot commands of orvane-cli share: the size option and an application that draws
// offscreen when there is no display.
#include <QApplication>
#include <memory>
#include <string>

// "WxH" in pixels, each 16 to 20000; throws TUsageError naming `option` otherwise.
void ParsePlotSize(const std::string& option, const std::string& text, int& width, int& height);

// Qt needs a platform even to draw into files: without a display, the offscreen one. Returns
// nullptr when an application exists already.
std::unique_ptr<QApplication> MakePlotApplication();
