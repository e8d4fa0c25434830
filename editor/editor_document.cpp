#include "editor/editor_document.h"

#include <QFileInfo>
#include <QLocale>
#include <QSignalBlocker>

#include "editor/records_snapshot_command.h"
#include "graph/graph_trace.h"
#include "record_store/bin_data_set.h"
#include "record_store/views.h"

namespace {

TViewKind StoreViewKindOf(TEditorDocument::TShownView kind) {
    switch (kind) {
        case TEditorDocument::TShownView::Dat:
            return TViewKind::Dat;
        case TEditorDocument::TShownView::Sad:
            return TViewKind::Sad;
        case TEditorDocument::TShownView::Das:
            return TViewKind::Das;
        default:
            return TViewKind::General;
    }
}

}  // namespace

TEditorDocument::TEditorDocument(QObject* parent)
    : QObject(parent),
      generalView_(std::make_unique<TBinDataSet>()),
      datView_(std::make_unique<TBinDataSet>()),
      sadView_(std::make_unique<TBinDataSet>()),
      dasView_(std::make_unique<TBinDataSet>()) {
    InstallGraphTrace(graphMessages_);  // "orvane.graph"
    connect(&undoStack_, &QUndoStack::cleanChanged, this, [this](bool clean) {
        // The stack knows whether the records are as last saved or opened.
        if (TBinDataSet* view = ShownView()) view->SetModified(!clean);
        SyncModified();
    });
    connect(&undoStack_, &QUndoStack::indexChanged, this, [this] { SyncModified(); });
}

std::size_t TEditorDocument::UndoBytes() const {
    std::size_t bytes = 0;
    for (int i = 0; i < undoStack_.index(); ++i) {
        if (const auto* c = dynamic_cast<const TRecordsSnapshotCommand*>(undoStack_.command(i)))
            bytes += c->Bytes();
    }
    return bytes;
}

void TEditorDocument::PushChange(TRecordsSnapshotCommand* command) {
    std::unique_ptr<TRecordsSnapshotCommand> owned(command);
    const std::size_t bytes = owned->Bytes();
    const QString limit = QLocale().formattedDataSize(static_cast<qint64>(undoMemoryLimit_), 0,
                                                      QLocale::DataSizeTraditionalFormat);
    QString dropped;
    if (bytes > undoMemoryLimit_) {
        dropped = QStringLiteral(
                      "\"%1\" needs more than the %2 undo keeps: it and the changes "
                      "before it cannot be undone.")
                      .arg(owned->text(), limit);
        owned.reset();
    } else if (UndoBytes() + bytes > undoMemoryLimit_) {
        dropped = QStringLiteral(
                      "Undo keeps %1 of record copies: the changes before \"%2\" "
                      "cannot be undone any more.")
                      .arg(limit, owned->text());
    }
    if (!dropped.isEmpty()) {
        // The records stay as they are: only the way back is given up. The file is as saved
        // only when it was so before and nothing is changed now.
        const bool clean = undoStack_.isClean() && !owned;
        const QSignalBlocker block(undoStack_);
        undoStack_.clear();
        if (!clean) undoStack_.resetClean();
    }
    if (owned) {
        undoStack_.push(owned.release());
    } else {
        if (TBinDataSet* view = ShownView()) view->SetModified(true);
        SyncModified();
    }
    if (!dropped.isEmpty()) emit undoHistoryDropped(dropped);
}

TEditorDocument::~TEditorDocument() {
    CloseAllViews();
}

void TEditorDocument::CloseAllViews() {
    undoStack_.clear();
    shownKind_ = TShownView::None;
    for (TBinDataSet* v : {generalView_.get(), datView_.get(), sadView_.get(), dasView_.get()}) {
        try {
            if (v->Active()) v->Close();
        } catch (const std::exception&) {
        }
    }
}

void TEditorDocument::SetFile(const QString& absolutePath) {
    const QFileInfo info(absolutePath);
    fileName_ = absolutePath;
    fileKind_ = info.suffix().toUpper();
    hasLastDose_ = false;
    hasLastPlateau_ = false;
    hasLastDoseModel_ = false;
}

void TEditorDocument::ForgetFile() {
    fileName_.clear();
    fileKind_.clear();
    curveFields_.clear();
    hasLastDose_ = false;
    hasLastPlateau_ = false;
    hasLastDoseModel_ = false;
}

void TEditorDocument::SetLastPlateau(TLastPlateau plateau) {
    lastPlateau_ = std::move(plateau);
    hasLastPlateau_ = true;
    hasLastDoseModel_ = false;
}

void TEditorDocument::SetLastDoseModel(TLastDoseModel model) {
    lastDoseModel_ = std::move(model);
    hasLastDoseModel_ = true;
}

void TEditorDocument::SetLastEquivalentDose(double dose, double error, const std::string& unit) {
    lastDose_ = dose;
    lastDoseError_ = error;
    lastDoseUnit_ = unit;
    hasLastDose_ = true;
}

bool TEditorDocument::LastEquivalentDose(double& dose, double& error, std::string& unit) const {
    if (!LastEquivalentDose(dose, error)) return false;
    unit = lastDoseUnit_;
    return true;
}

bool TEditorDocument::LastEquivalentDose(double& dose, double& error) const {
    if (!hasLastDose_) return false;
    dose = lastDose_;
    error = lastDoseError_;
    return true;
}

TEditorDocument::TShownView TEditorDocument::ViewKindForFile() const {
    if (fileName_.isEmpty()) return TShownView::None;
    if (generalMode_) return TShownView::General;
    if (fileKind_ == QLatin1String("DAT")) return TShownView::Dat;
    if (fileKind_ == QLatin1String("SAD")) return TShownView::Sad;
    if (fileKind_ == QLatin1String("DAS")) return TShownView::Das;
    return TShownView::None;
}

TRecordKind TEditorDocument::RecordKindOf(TShownView view) {
    switch (view) {
        case TShownView::Dat:
            return TRecordKind::Dat;
        case TShownView::Sad:
            return TRecordKind::Sad;
        case TShownView::Das:
            return TRecordKind::Das;
        default:
            return TRecordKind::General;
    }
}

TBinDataSet* TEditorDocument::View(TShownView kind) const {
    switch (kind) {
        case TShownView::General:
            return generalView_.get();
        case TShownView::Dat:
            return datView_.get();
        case TShownView::Sad:
            return sadView_.get();
        case TShownView::Das:
            return dasView_.get();
        default:
            return nullptr;
    }
}

TBinDataSet* TEditorDocument::ShownView() const {
    TBinDataSet* v = View(shownKind_);
    return v && v->Active() ? v : nullptr;
}

void TEditorDocument::OpenView(TShownView kind, const std::string& schemaPath,
                               std::function<void(TBinDataSet&)> calculation) {
    shownKind_ = kind;
    TBinDataSet* view = View(kind);
    if (!generalMode_) {
        // Only the typed view of the file's kind keeps a file name.
        for (TBinDataSet* v : {datView_.get(), sadView_.get(), dasView_.get()})
            if (v != view && !v->Active()) v->SetFileName(std::string());
    }
    if (!view) return;
    ConfigureView(*view, StoreViewKindOf(kind));
    view->SetFileName(fileName_.toStdString());
    view->SetSchemaFileName(schemaPath);
    view->SetOnCalcFields(std::move(calculation));
    try {
        view->Open();
    } catch (...) {
        shownKind_ = TShownView::None;
        throw;
    }
    undoStack_.clear();
    undoStack_.setClean();
    SyncModified();
}

void TEditorDocument::CloseShownView() {
    if (TBinDataSet* view = ShownView()) {
        if (view->State() == TDataSetState::Edit || view->State() == TDataSetState::Insert)
            view->Post();
        // Write the changes first: when that fails the view stays open and shown as it was,
        // with its changes, its current record and its undo history.
        if (view->Modified()) view->SaveOnClose();
        emit closing();
        view->Close();
    }
    shownKind_ = TShownView::None;
    rowSelection_ = false;
    selection_.Clear();
    undoStack_.clear();
    SyncModified();
}

void TEditorDocument::SaveShownView(const std::string& path) {
    TBinDataSet* view = ShownView();
    if (!view) return;
    if (view->State() != TDataSetState::Browse) view->Post();
    view->SaveToFile(path);
    undoStack_.setClean();
    SyncModified();
}

void TEditorDocument::DropChanges() {
    if (TBinDataSet* view = ShownView()) view->SetModified(false);
    SyncModified();
}

bool TEditorDocument::Modified() const {
    const TBinDataSet* view = ShownView();
    return view && view->Modified();
}

void TEditorDocument::SyncModified() {
    const bool now = Modified();
    if (now == lastModified_) return;
    lastModified_ = now;
    emit modifiedChanged(now);
}

void TEditorDocument::SetRowSelection(bool on) {
    rowSelection_ = on;
    if (!on) selection_.Clear();
}

std::vector<int32_t> TEditorDocument::SelectedRecords() const {
    return rowSelection_ ? selection_.Ids() : std::vector<int32_t>{};
}

std::vector<int32_t> TEditorDocument::SelectedOrCurrentRecords() const {
    std::vector<int32_t> ids = SelectedRecords();
    if (const TBinDataSet* view = ShownView(); ids.empty() && view)
        if (const std::optional<int32_t> current = view->GetBookmark()) ids.push_back(*current);
    return ids;
}

TViewKind TEditorDocument::ShownStoreKind() const {
    return StoreViewKindOf(shownKind_);
}
