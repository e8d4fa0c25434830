#pragma once
// "Compute" at one index for the multi-aliquot methods (0..8): the point sets handed to the
// engine, the method-to-engine mapping, the solution line of the solution box and the result
// summary text sent to the results viewer as its notes.
#include <optional>
#include <string>

#include "analysis/growth_points.h"
#include "analysis/sar_criteria.h"
#include "fitting/fit_record.h"
#include "fitting/monte_carlo_dose.h"
#include "fitting/point_set.h"

// The fitting options of the panel. FunctionObject is the object of the function list:
// 1 "Linear", 2 "Quadratic", 3 "Cubic", 4 "Saturating exponential", 5 "Linear +
// sat.exponent.", 6 "Polynomial " (with Degree 0..14), 8 "Exponential decay". ErrorModel is
// the engine's error model (0, 2, 3 or 4 in the panel's list); Percent the "%" field.
struct TFitOptions {
    int FunctionObject = 4;
    int Degree = 4;
    int ErrorModel = 0;
    double Percent = 100;
};

// The engine's function code of a function list object (-1 for an unknown object).
FunctionCode GrowthFunctionCode(int functionObject, int degree);
// The error every point gets: 1, except Percent / 100 for error models 3 and 5 when that
// lies in (0, 1], and 1/2 for models 4 and 6.
double ErrorValue(const TFitOptions& options);
// The engine's dose method of a method index 0..8 (0 for others).
int EngineMethod(int method);

// What one computation produced.
// The aliquot a single-aliquot solution belongs to: its disk and, for a grain of a
// single-grain disc, its hole (-1 for a whole disk). Disk -1: not a single-aliquot solution.
struct TAliquotId {
    int32_t Disk = -1;
    int32_t Hole = -1;
};

struct TSolution {
    TFitRecord Fit;        // Channel = the index
    std::string Note;      // the engine's notes ("...; ")
    std::string Line;      // the solution line, without line end
    TPointSet Set1, Set2;  // as handed to the engine (before it sorted them)
    TAliquotId Aliquot;
    std::optional<TSarCriteria> Criteria;  // SAR: the aliquot's rejection criteria
    std::optional<TMonteCarloDose> MonteCarlo;  // when asked for: the Monte Carlo error
};

// The Monte Carlo error of a computed solution: its points drawn and refitted with its
// method, error model and function, the doses moved as the solution's dose was moved from
// the engine's (single aliquots).
TMonteCarloDose SolutionMonteCarlo(const TSolution& solution, const TMonteCarloDoseOptions& options);
// "MC ± 1.23 (68 %: 9.8–12.1; 95 %: 8.9–13.4; 1000 draws)", with the failed draws and the
// warning when there are any; for a result without numbers "MC: " and its reason. Numbers
// with a point, as the solution line has them.
std::string MonteCarloDoseText(const TMonteCarloDose& result, const char* plusMinus = "\u00b1");

// The line prefix: OSL "Ch %2d: " with the channel (single-aliquot methods "Disk %3d: "),
// TL "T  %3d: " with the temperature (index + 1) x Spacing.
std::string SolutionLinePrefix(const TDeviceKey& device, int method, int index);
// The rest of the line: "%7.5g ± %5.3g; " with ED and its error, the result message, and
// " - " with the note when there is one. `plusMinus` is the sign as the output wants it
// encoded (UTF-8 by default).
std::string SolutionLineResult(const TFitRecord& fit, const std::string& note,
                               const char* plusMinus = "\u00b1");

// Computes the solution at `index` from the accepted growth points (method 0..8; the
// growth points must be those of `method`). Writes each point's engine error into the
// points. Single-aliquot methods are not computed here: result code -1 and a note.
TSolution ComputeSolution(TGrowthPoints& points, const TDeviceKey& device, int method, int index,
                          const TFitOptions& options);

// The result summary text, lines ending in CR LF: file, folder, data type, method,
// bleaching (when `bleaching` is not empty), channel or temperature, the result, the fitted
// function(s) with their parameters, "Printed on: " with `printedOn`, and "Comment: ".
struct TSummaryInput {
    std::string FileName;
    std::string Folder;
    std::string DeviceText;
    int Method = 0;
    std::string BleachingText;  // empty: no bleaching line
    bool Osl = true;
    int IndexValue = 0;  // the channel or the temperature, as the index field shows it
    std::string PrintedOn;
};
std::string ResultSummaryText(const TSummaryInput& input, const TFitRecord& fit);
