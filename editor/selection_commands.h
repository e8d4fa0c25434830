#pragma once
// The records selected in the main window's grid, for the commands that work on "the current
// record, or the selected records in selection order".
#include <cstdint>
#include <vector>

class TEdForm1;

// Bookmarks (record ids) in selection order; empty when row selection is off or nothing is
// selected.
std::vector<int32_t> SelectedRecords(const TEdForm1& form);
bool RowSelectionOn(const TEdForm1& form);
