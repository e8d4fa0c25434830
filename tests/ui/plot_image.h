#pragma once
// Looking at a plot image in tests: how many pixels carry ink (are not white) and how many are
// clearly red (the current curve).
#include <QColor>
#include <QImage>
#include <utility>

inline std::pair<int, int> InkAndRed(const QImage& image) {
    int ink = 0, red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c != Qt::white) ++ink;
            if (c.red() > 150 && c.green() < 90 && c.blue() < 90) ++red;
        }
    return {ink, red};
}
