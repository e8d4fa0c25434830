#pragma once
// TEditorDocument: what belongs to the open record file, apart from the window that shows it.
// It owns the views (the general view and the maker's DAT, SAD and DAS views, one record
// store each), knows which of them is shown, the file's name and kind, the row selection of
// the grid, the curve fields the layout file marks, and the undo stack of every change to
// records. Controllers and modes work on the document and learn of changes by its signals.
#include <QObject>
#include <QString>
#include <QUndoStack>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "analysis/graph_messages.h"
#include "analysis/plateau_array.h"
#include "editor/selection_list.h"
#include "record_store/curve_fields.h"
#include "record_store/presentation_values.h"
#include "record_store/views.h"

class TBinDataSet;
class TRecordsSnapshotCommand;

class TEditorDocument : public QObject {
    Q_OBJECT

public:
    // Which view is shown: none, the general view or one of the maker's views.
    enum class TShownView { None, General, Dat, Sad, Das };

    explicit TEditorDocument(QObject* parent = nullptr);
    // A view still open and modified writes its file as it closes; a failure is not reported.
    ~TEditorDocument() override;

    // --- The open file ------------------------------------------------------------------
    const QString& FileName() const { return fileName_; }
    // The extension in capitals ("DAT", "SAD", "XYZ").
    const QString& FileKind() const { return fileKind_; }
    bool HasFile() const { return !fileName_.isEmpty(); }
    void SetFile(const QString& absolutePath);
    void SetFileName(const QString& absolutePath) { fileName_ = absolutePath; }
    void ForgetFile();

    // "General editor" (true) or "Halcyon files" (false): decides which view shows a file.
    bool GeneralMode() const { return generalMode_; }
    void SetGeneralMode(bool on) { generalMode_ = on; }
    // The view the mode calls for the open file (None for a kind without a maker's view in
    // "Halcyon files" mode, or without a file).
    TShownView ViewKindForFile() const;

    // --- Views --------------------------------------------------------------------------
    TBinDataSet* View(TShownView kind) const;
    // The shown view when it is open; nullptr otherwise.
    TBinDataSet* ShownView() const;
    TShownView ShownViewKind() const { return shownKind_; }
    static TRecordKind RecordKindOf(TShownView view);
    TRecordKind ShownRecordKind() const { return RecordKindOf(shownKind_); }
    // The record store's kind of the shown view (General for the general view or none).
    TViewKind ShownStoreKind() const;
    // Makes `kind` the shown view, configured for the open file with `schemaPath` and the
    // calculation callback, and opens it. Throws TEditorError (the view then is not shown).
    void OpenView(TShownView kind, const std::string& schemaPath,
                  std::function<void(TBinDataSet&)> calculation);
    // Posts a pending edit, writes a modified view (Throws TEditorError: the view stays open
    // and shown with its changes), says `closing` and closes the view; the undo stack is
    // cleared and the row selection left.
    void CloseShownView();
    // Posts a pending edit and writes the shown view to `path` (Save and Save As); the undo
    // stack is clean afterwards. Throws TEditorError.
    void SaveShownView(const std::string& path);
    // The "No" answer to "Save changed data?": the changes are dropped when the view closes.
    void DropChanges();
    // Closes every open view (each writes its changes when modified; a failure is not
    // reported): the program is ending.
    void CloseAllViews();
    bool Modified() const;

    // --- Row selection of the grid ------------------------------------------------------
    bool RowSelection() const { return rowSelection_; }
    void SetRowSelection(bool on);
    TRecordSelection& Selection() { return selection_; }
    const TRecordSelection& Selection() const { return selection_; }
    // The selected records' ids in selection order; empty while row selection is off.
    std::vector<int32_t> SelectedRecords() const;
    // What a tool works on: the selected records, or else the shown view's current record.
    std::vector<int32_t> SelectedOrCurrentRecords() const;

    // --- Curve fields the layout file marks ---------------------------------------------
    const TCurveFieldList& CurveFields() const { return curveFields_; }
    void SetCurveFields(TCurveFieldList curves) { curveFields_ = std::move(curves); }

    // --- Undo ---------------------------------------------------------------------------
    QUndoStack& UndoStack() { return undoStack_; }
    // The record copies the undo stack may hold. A whole-file run at the record limit copies
    // every record twice (before and after), so the stack is bounded by bytes, not by a
    // count of commands.
    static constexpr std::size_t kUndoMemoryLimit = std::size_t{256} << 20;
    void SetUndoMemoryLimit(std::size_t bytes) { undoMemoryLimit_ = bytes; }
    std::size_t UndoMemoryLimit() const { return undoMemoryLimit_; }
    // Puts a change on the undo stack within the limit: when the changes that can be
    // undone and this one together would pass it, the earlier ones are dropped first; a
    // change that alone passes it is not kept. Either way `undoHistoryDropped` tells why.
    void PushChange(TRecordsSnapshotCommand* command);
    // Bytes of record copies held by the changes that can be undone.
    std::size_t UndoBytes() const;

    // --- The last equivalent dose -------------------------------------------------------
    // The equivalent dose (Gy) and its error of the last solution computed for the open file
    // (growth-curve mode records it); the age computation offers it. Forgotten with the file.
    // `unit`: the unit of the source's dose rate before its "/" ("Gy"), as the file gives it.
    void SetLastEquivalentDose(double dose, double error, const std::string& unit = "Gy");
    bool LastEquivalentDose(double& dose, double& error) const;
    bool LastEquivalentDose(double& dose, double& error, std::string& unit) const;

    // --- The last plateau of equivalent doses ------------------------------------------
    // The paleodose results of the last Range or All computation (growth-curve mode records
    // them) with how their x reads; "Age plateau" turns them into ages. Forgotten with the
    // file. The ages shown are kept here, where the result viewer reads them.
    struct TLastPlateau {
        TPlateauArray Doses;
        uint8_t DataKind = 0;  // gkTemperature, gkChannel, gkDisk
        int32_t Spacing = 1;
        std::string XLabel;
        std::string DoseUnit = "Gy";  // of the doses: the unit of the source's dose rate
    };
    void SetLastPlateau(TLastPlateau plateau);
    const TLastPlateau* LastPlateau() const { return hasLastPlateau_ ? &lastPlateau_ : nullptr; }
    TPlateauArray& AgePlateauShown() { return agePlateau_; }

    // --- The last dose model -------------------------------------------------------------
    // The dose a dose model gave over the last plateau's accepted aliquots or grains ("Dose
    // models" in the result viewer), with its unit and the model's one-line summary; "Compute
    // age" offers it. Forgotten with the file and with each new plateau.
    struct TLastDoseModel {
        double De = 0;
        double DeError = 0;
        std::string Unit = "Gy";
        std::string Summary;
    };
    void SetLastDoseModel(TLastDoseModel model);
    const TLastDoseModel* LastDoseModel() const {
        return hasLastDoseModel_ ? &lastDoseModel_ : nullptr;
    }
    int32_t& AgePlateauIndex() { return agePlateauIndex_; }

    // The row of the result the user picked last in a result viewer, taken once by the
    // mode that handles the pick (a ROI result shares its index with a channel).
    void SetPickedPlateauRow(int row) { pickedPlateauRow_ = row; }
    std::optional<int> TakePickedPlateauRow() {
        return std::exchange(pickedPlateauRow_, std::nullopt);
    }

    // --- Graph messages ----------------------------------------------------------------------
    // The window's exchange with the graph windows: growth-curve mode registers as the main
    // window ("EdForm1"), the viewers under their names ("PointViewer", "CurveViewer",
    // "GraphEditor"). Its trace goes to the logging category "orvane.graph".
    TGraphDispatcher& GraphMessages() { return graphMessages_; }

    // --- Notifications the window sends ---------------------------------------------------
    void NotifyOpened(bool fileOpened) { emit opened(fileOpened); }
    void NotifyCurrentRecordChanged() { emit currentRecordChanged(); }
    void NotifyRecordsChanged() { emit recordsChanged(); }
    void NotifyViewModeChanged() { emit viewModeChanged(); }

signals:
    // A view was opened: by Open (`fileOpened`) or by a switch between "Halcyon files" and
    // "General editor".
    void opened(bool fileOpened);
    void closing();  // the shown view is about to close
    void currentRecordChanged();
    // Records changed other than through the grid's and form's own display (bulk edits,
    // undo and redo): views of them must read them again.
    void recordsChanged();
    void modifiedChanged(bool modified);
    void viewModeChanged();  // "Halcyon files" <-> "General editor"
    void undoHistoryDropped(const QString& message);

private:
    void SyncModified();

    std::unique_ptr<TBinDataSet> generalView_;
    std::unique_ptr<TBinDataSet> datView_;
    std::unique_ptr<TBinDataSet> sadView_;
    std::unique_ptr<TBinDataSet> dasView_;
    TShownView shownKind_ = TShownView::None;
    QString fileName_;
    QString fileKind_;
    bool generalMode_ = false;
    bool rowSelection_ = false;
    TRecordSelection selection_;
    TCurveFieldList curveFields_;
    QUndoStack undoStack_;
    std::size_t undoMemoryLimit_ = kUndoMemoryLimit;
    TGraphDispatcher graphMessages_;
    bool lastModified_ = false;
    bool hasLastDose_ = false;
    TLastPlateau lastPlateau_;
    bool hasLastPlateau_ = false;
    TLastDoseModel lastDoseModel_;
    bool hasLastDoseModel_ = false;
    std::optional<int> pickedPlateauRow_;
    TPlateauArray agePlateau_;
    int32_t agePlateauIndex_ = 0;
    double lastDose_ = 0;
    double lastDoseError_ = 0;
    std::string lastDoseUnit_;
};
