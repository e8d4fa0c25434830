#pragma once
// The method grid of the growth panel as the user reads it: the cell of a method (by its long
// name, in the first column) and a bleaching text (in the first row).
#include <QPoint>
#include <QTableWidget>

#include "editor/growth_panel.h"

// Column and row of the cell; -1 where the method or the bleaching is not in the grid.
inline QPoint MethodCell(TGrowthPanel* panel, const QString& method, const QString& bleaching) {
    QTableWidget* grid = panel->MethodGrid();
    int row = -1, column = -1;
    for (int r = 1; r < grid->rowCount(); ++r)
        if (grid->item(r, 0)->text() == method) row = r;
    for (int c = 1; c < grid->columnCount(); ++c)
        if (grid->item(0, c)->text() == bleaching) column = c;
    return {column, row};
}

// Makes the cell current, as a click on it does; false when it is not in the grid.
inline bool ChooseMethodCell(TGrowthPanel* panel, const QString& method, const QString& bleaching) {
    const QPoint cell = MethodCell(panel, method, bleaching);
    if (cell.x() < 1 || cell.y() < 1) return false;
    panel->MethodGrid()->setCurrentCell(cell.y(), cell.x());
    return true;
}
