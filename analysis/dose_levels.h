#pragma once
// Grouping doses into dose levels: doses within a relative tolerance of a level's dose are
// taken as one level.
#include <vector>

struct TDoseLevel {
    double Dose = 0;
    int Count = 0;
};

// The doses sorted ascending (equal doses keep their order), every dose a level of count 1;
// then, for 0 <= tolerance < 1, repeatedly: among the levels holding one dose, the one whose
// window [(1 - tolerance) c, (1 + tolerance) c] holds the most doses (ties: the later level)
// absorbs every level in that window, the merged dose being the count-weighted mean. The
// window is inclusive at both ends for counting and merging alike, and the loop ends when no
// merge would join two levels, so every input ends. Tolerance 0 merges equal doses only.
std::vector<TDoseLevel> GroupDoseLevels(const std::vector<double>& doses, double tolerance);
