#pragma once
// The growth panel of "Growth curve" mode: the device tabs, the method grid (methods against
// bleaching treatments), the irradiation list, and in the lower part either the fitting
// options with the solution box or the curves list ("Record preview"). The panel shows what
// the mode gives it and reports the user's choices as signals; it keeps no analysis state.
#include <QStringList>
#include <QTreeView>
#include <QWidget>
#include <vector>

#include "analysis/aliquot_types.h"
#include "analysis/growth_compute.h"
#include "analysis/growth_points.h"
#include "analysis/method_recognition.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QRadioButton;
class QSpinBox;
class QStackedWidget;
class QTabBar;
class QTableWidget;
class QTextEdit;
class TGrowthCurvesModel;

// How the index fields are used: one index, a range, or every index.
enum class TIndexMode { Single, Range, All };

class TGrowthPanel : public QWidget {
    Q_OBJECT

public:
    explicit TGrowthPanel(QWidget* parent = nullptr);

    // --- Lists --------------------------------------------------------------------------
    void SetDevices(const QStringList& texts, int current);
    // The grid: one row per method of `grid`, one column per bleaching text; the focused
    // cell is (bleaching, method). Flag [1] marks are redrawn by RedrawMethodGrid.
    void SetMethodGrid(const TMethodGrid& grid, const QStringList& bleachings, int bleaching,
                       int method);
    void RedrawMethodGrid(const TMethodGrid& grid);
    void SetIrradiations(const QStringList& texts);
    // The entries of the irradiation list that are selected.
    std::vector<bool> IrradiationSelection() const;
    // One line per measurement of `table` (nullptr: none), drawn by its selection and
    // acceptance; the table must stay in place while it is shown.
    void SetCurves(const TLookupTable* table);
    // The measurements' flags changed.
    void RedrawCurves();
    // The curves list selection of a measurement, and its focused entry.
    void SelectCurve(int ordinal, bool selected);
    void FocusCurve(int ordinal);

    // --- Fitting options ----------------------------------------------------------------
    // Refills the function, error model and depletion lists for `method` (the function
    // stays when it is still in the list).
    void FillFitLists(int method);
    TFitOptions FitOptions() const;
    // "Monte Carlo error": the number of draws when it is checked, 0 when not.
    int MonteCarloDraws() const;
    QCheckBox* MonteCarloBox() const { return monteCarlo_; }
    QSpinBox* MonteCarloDrawsField() const { return monteCarloDraws_; }
    // The object of the depletion fit list (1 linear, 2..5 one to four exponentials).
    int DepletionObject() const;
    // The single-aliquot limits group (shown for methods 9 and 10).
    class TSaLimitsWidget* SaLimits() const {
        return saLimits_;
    }
    // The text of the function list's current entry ("Polynomial " for the polynomial).
    QString FunctionText() const;
    // The unit word of the index ("channel", "degC", "disk") and the fields' bounds.
    void SetIndexFields(const TIndexFields& fields);
    // Shows the index mode with the fields' values (in the user's units).
    void ShowIndexMode(TIndexMode mode, int first, int second);
    TIndexMode IndexMode() const;
    int FirstValue() const;
    int SecondValue() const;
    // A value of the first field shown in the inactive colour (a disk the set lacks).
    void SetFirstValueValid(bool valid);

    // --- Solution box and lower part ----------------------------------------------------
    void AppendSolution(const QString& line);
    QString Solutions() const;
    void ClearSolutions();
    // true: the curves list in the lower part; false: the fitting options.
    void ShowRecords(bool records);

    QTabBar* DeviceTabs() const { return tabs_; }
    QTableWidget* MethodGrid() const { return grid_; }
    QListWidget* IrradiationList() const { return irradiations_; }
    QTreeView* CurvesList() const { return curves_; }
    QTextEdit* SolutionBox() const { return solution_; }
    QCheckBox* UseRoisBox() const { return useRois_; }

signals:
    void deviceChanged(int device);
    void cellChosen(int bleaching, int method);
    void irradiationsChanged();
    void indexModeChosen(TIndexMode mode);
    void firstValueChanged(int value);
    void secondValueChanged(int value);
    // The space key on the focused entry of the curves list.
    void acceptKeyPressed(int ordinal);
    // A right-click on the panel: `onCurves` when it was on the curves list, `ordinal` the
    // entry under it, or -1.
    void menuRequested(const QPoint& globalPos, bool onCurves, int ordinal);
    // "Help" or F1 within the panel.
    void helpRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void UpdateOptionFields();

    QTabBar* tabs_ = nullptr;
    QTableWidget* grid_ = nullptr;
    std::vector<int> gridMethods_;
    QListWidget* irradiations_ = nullptr;
    QStackedWidget* lower_ = nullptr;
    QTreeView* curves_ = nullptr;
    TGrowthCurvesModel* curvesModel_ = nullptr;
    QGroupBox* fitBox_ = nullptr;
    QLabel* firstLabel_ = nullptr;
    QSpinBox* first_ = nullptr;
    QLabel* toLabel_ = nullptr;
    QSpinBox* second_ = nullptr;
    QRadioButton* single_ = nullptr;
    QRadioButton* range_ = nullptr;
    QRadioButton* all_ = nullptr;
    QComboBox* function_ = nullptr;
    QLabel* degreeLabel_ = nullptr;
    QSpinBox* degree_ = nullptr;
    QComboBox* errorModel_ = nullptr;
    QLabel* percentLabel_ = nullptr;
    QSpinBox* percent_ = nullptr;
    QLabel* depletionLabel_ = nullptr;
    QComboBox* depletion_ = nullptr;
    class TSaLimitsWidget* saLimits_ = nullptr;
    QCheckBox* monteCarlo_ = nullptr;
    QSpinBox* monteCarloDraws_ = nullptr;
    QTextEdit* solution_ = nullptr;
    QCheckBox* useRois_ = nullptr;
    QString unitWord_;
    bool filling_ = false;  // lists and fields being set by the mode: no signals
};
