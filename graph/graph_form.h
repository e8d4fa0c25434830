#pragma once
// TGrForm1: the graph window. One class in several roles (TGraphRole): the curve editor
// now, the point, curve and result viewers later. It lays out the number label, the factor
// field and the spin edit above the table and the chart, and carries what every role shares:
// "Restore", box zoom ("Zoom"), dragging ("Pan"), wheel zoom, zooming one axis from the
// chart's pop-up over it, the cross-hair readout ("Show ledger"), a logarithmic time axis for
// shine-down curves, "Save plot as..." (PNG, SVG, PDF), "Copy plot" and "Print graph".
#include <QDialog>
#include <memory>

class QAction;
class QCustomPlot;
class QCPItemStraightLine;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QSpinBox;
class QSplitter;
class QStatusBar;
class QTableView;
class TEditorShell;
class TGraphRole;
struct TPrintOptions;

class TGrForm1 : public QDialog {
    Q_OBJECT

public:
    TGrForm1(TEditorShell& shell, QWidget* parent = nullptr);
    ~TGrForm1() override;

    // Takes the role and draws it with both axes rescaled.
    void SetRole(std::unique_ptr<TGraphRole> role);
    TGraphRole* Role() const { return role_.get(); }
    TEditorShell& Shell() { return shell_; }

    QCustomPlot* Chart() const { return chart_; }
    QTableView* Table() const { return table_; }
    QLineEdit* FactorField() const { return numIO1_; }
    QSpinBox* SpinEdit() const { return spinEdit1_; }
    QLabel* DivMulLabel() const { return divMulLabel_; }
    QLabel* NumberLabel() const { return numLab_; }
    QMenu* CurveMenu() const { return curveMenu_; }
    QMenu* GraphMenu() const { return graphMenu_; }
    QAction* GraphAction(const QString& caption) const;

    // The notes of the window (printed under the chart).
    const QString& Notes() const { return notes_; }
    void SetNotes(const QString& notes) { notes_ = notes; }

    // "Logarithmic time axis" is checked (offered for shine-down curves).
    bool LogTimeAxis() const;
    void SetLogTimeAxis(bool on);
    // Draws again; `rescale` sets both axes to the data.
    void Redraw(bool rescale);
    void SetStatusText(const QString& text);
    QString StatusText() const;
    void UpdateCommands();

    // Writes the chart into a file by its extension (.png, .svg, .pdf); false after showing
    // the error.
    bool SavePlot(const QString& path, int width = 0, int height = 0);
    // Prints the chart with header and notes by the window's print options onto `printer`.
    void PrintTo(class QPrinter& printer);
    TPrintOptions& PrintOptions() { return *printOptions_; }

    // Escape, the close button and "Close": the role may keep the window open (Cancel on
    // "Save changed data?").
    void reject() override;

    // Cross-hair readout on or off ("Show ledger" / "Hide ledger").
    void SetLedger(bool on);
    bool LedgerOn() const { return ledger_ != nullptr; }
    // "Show legend" of the Graph menu (on at first).
    bool LegendShown() const;
    // Moves the cross-hair (when it is on) to `x`.
    void MoveLedgerTo(double x) { MoveLedger(x); }
    // Zooms one axis around a value: `in` shrinks its range to a third, else it grows
    // threefold.
    void ZoomAxis(bool xAxis, double around, bool in);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateMenus();
    void SetFieldFocusColour(QWidget* field, bool focused);
    void OnChartMousePress(class QMouseEvent* event);
    void OnChartMouseMove(class QMouseEvent* event);
    void OnChartContextMenu(const QPoint& pos);
    void SetMouseMode(int mode);
    void MoveLedger(double x);
    void OnSavePlot();
    void OnPrint();
    void Close();

    TEditorShell& shell_;
    std::unique_ptr<TGraphRole> role_;
    QMenuBar* menuBar_ = nullptr;
    QMenu* graphMenu_ = nullptr;
    QMenu* curveMenu_ = nullptr;
    QLabel* numLab_ = nullptr;
    QLabel* divMulLabel_ = nullptr;
    QLineEdit* numIO1_ = nullptr;
    QSpinBox* spinEdit1_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QTableView* table_ = nullptr;
    QCustomPlot* chart_ = nullptr;
    QStatusBar* status_ = nullptr;
    QAction* zoomAction_ = nullptr;
    QAction* panAction_ = nullptr;
    QAction* ledgerAction_ = nullptr;
    QAction* logAction_ = nullptr;
    QAction* legendAction_ = nullptr;
    QAction* printAction_ = nullptr;
    QCPItemStraightLine* ledger_ = nullptr;
    bool draggingLedger_ = false;
    QPoint popupPos_;
    QString notes_;
    std::unique_ptr<TPrintOptions> printOptions_;
    bool closing_ = false;
};
