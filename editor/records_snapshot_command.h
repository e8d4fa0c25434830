#pragma once
// TRecordsSnapshotCommand: the undoable command for any change to the records of the shown
// view. It takes the main and sub bytes of the records a change may touch before the change
// and again after it, and then undoes and redoes the change by putting those bytes back
// exactly; records the change deleted come back at their place under their own id, records
// it inserted go again. Form and grid edits, "Post field to selected", "Duplicate dosing"
// and every curve-tool run (subtraction, deglitching, normalisation, curve-editor write-back)
// go through it.
//
// The usual way to use it is a TRecordsChange scope:
//
//     {
//         TRecordsChange change(&document, QStringLiteral("Subtract backgrounds (28 records)"),
//                               selectedIds);
//         ... write the records of document.ShownView() ...
//     }   // the change is on the undo stack ("Undo Subtract backgrounds (28 records)")
//
// A change that throws half-way is recorded as far as it went, so that it can be undone.
#include <QString>
#include <QUndoCommand>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class TBinDataSet;
class TEditorDocument;

class TRecordsSnapshotCommand : public QUndoCommand {
public:
    // Takes the bytes of the records `ids` of the document's shown view (ids it does not
    // hold are left out) and the order of all its records.
    TRecordsSnapshotCommand(TEditorDocument& document, const QString& text,
                            const std::vector<int32_t>& ids);
    // Compares with the records now: keeps what changed. False when nothing did (the command
    // is then not worth keeping).
    bool CaptureAfter();
    // Records changed, deleted and inserted by the change.
    int RecordCount() const;
    // Bytes of the record copies the command holds.
    std::size_t Bytes() const;

    void undo() override;
    void redo() override;

private:
    struct TSnapshot {
        int32_t id = 0;
        int index = 0;  // place among all records (before: for deleted ones, after: inserted)
        std::vector<uint8_t> before;
        std::vector<uint8_t> after;
    };

    std::vector<uint8_t> DataOf(int index) const;
    void Restore(bool toBefore);

    TEditorDocument& document_;
    TBinDataSet* view_ = nullptr;
    std::vector<int32_t> orderBefore_;
    std::vector<TSnapshot> changed_;
    std::vector<TSnapshot> deleted_;
    std::vector<TSnapshot> inserted_;
    bool skipRedo_ = true;  // the change itself was the first "redo"
};

// Every record id of the view, in order.
std::vector<int32_t> AllRecordIds(const TBinDataSet& view);

// A scope around a change to records: takes the snapshot when made and puts the change on
// the document's undo stack as it ends (also when the scope is left by an exception). A
// null document or one without a shown view records nothing.
class TRecordsChange {
public:
    TRecordsChange(TEditorDocument* document, const QString& text, const std::vector<int32_t>& ids);
    ~TRecordsChange();
    TRecordsChange(const TRecordsChange&) = delete;
    TRecordsChange& operator=(const TRecordsChange&) = delete;

private:
    TEditorDocument* document_ = nullptr;
    std::unique_ptr<TRecordsSnapshotCommand> command_;
};
