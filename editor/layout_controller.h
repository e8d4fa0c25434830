#pragma once
// The layout file of the open record file and the record form it builds for "General editor"
// mode: finding and reading the file when a view opens, building and placing the edits and
// labels, moving them ("Change position") and writing their places back ("Save position").
// It also keeps the open file's curve-field list, which the layout file's marks make.
#include <QObject>
#include <QPoint>
#include <QString>
#include <set>
#include <string>
#include <vector>

#include "editor/editor_document.h"
#include "record_store/curve_fields.h"
#include "record_store/layout_file.h"
#include "record_store/layout_plan.h"

class QLabel;
class QWidget;
class TEditorShell;
class TLayoutFieldEdit;

class TLayoutController : public QObject {
    Q_OBJECT

public:
    // Connects itself to the shell's layout commands and the document's signals.
    explicit TLayoutController(TEditorShell& shell);

    // The open file's curve fields (also the document's).
    const TCurveFieldList& CurveFields() const { return document_.CurveFields(); }
    // Path of the layout file in use; empty when the open file has none.
    const std::string& LayoutFile() const { return layoutFile_; }
    const TIniList& IniList() const { return iniList_; }
    bool PositionsChanged() const { return positionsChanged_; }
    bool Moving() const { return moving_; }
    // The layout gave the field the boolean display texts (it has an edit of the form).
    bool HasLayoutBooleanTexts(const std::string& field) const {
        return booleanFields_.count(field) > 0;
    }
    const std::vector<TLayoutFieldEdit*>& Edits() const { return edits_; }
    const std::vector<QLabel*>& FieldLabels() const { return fieldLabels_; }
    const std::vector<QLabel*>& FreeLabels() const { return freeLabels_; }

    // The steps of the commands (the actions call them; tests too).
    // Builds the form for the view just opened. `lookUp` (Open): finds the layout file for the
    // file kind, asking for one when it does not exist, and applies its [MAIN] keys; otherwise
    // (a mode switch) the file found on Open is read again, and nothing is asked. Returns false
    // when the form could not be built (after showing the error).
    bool LoadForOpenedView(bool lookUp = true);
    void RemoveControls();
    void ReadPreferences();
    void SetMoving(bool on);
    void SavePosition();
    void RefreshEdits();
    // A control of the form dragged from `press` and dropped at `drop` (both in the form's
    // coordinates): dropped on itself it moves by the offset, elsewhere to the drop point;
    // either way onto the 4-pixel grid.
    void DropControl(QWidget* control, QPoint press, QPoint drop);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::string SchemaDirectory() const;
    std::string RecordDirectory() const;
    void ApplyMain(const std::vector<std::string>& lines);
    // The layout file for the open file's kind, or the user's choice; empty when cancelled.
    std::string FindLayoutFile();
    bool BuildControls(const std::vector<std::string>* lines);
    // Makes the free labels read before any bad line; returns the error message, empty when
    // every free label was made.
    std::string AddFreeLabels(const std::vector<std::string>& lines);
    void Watch(QWidget* control);
    void FitArea();
    void UpdateActions();

    TEditorShell& shell_;
    TEditorDocument& document_;
    TIniList iniList_;
    std::string layoutFile_;
    TLayoutPlan plan_;
    std::set<std::string> booleanFields_;
    std::vector<TLayoutFieldEdit*> edits_;  // in plan order
    std::vector<QLabel*> fieldLabels_;      // one per edit
    std::vector<QLabel*> freeLabels_;
    bool positionsChanged_ = false;
    bool moving_ = false;
    QWidget* dragged_ = nullptr;
    QPoint dragOrigin_;  // where the dragged control was when the drag began
    QPoint pressPoint_;
};
