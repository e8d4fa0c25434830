// File commands of the main window: open, save, save as, close, exit and the mode switch.
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QScrollArea>
#include <QStackedWidget>

#include "editor/bin_data_grid.h"
#include "editor/main_window.h"
#include "editor/record_form.h"
#include "record_store/bin_data_set.h"
#include "record_store/editor_error.h"
#include "record_store/file_names.h"
#include "record_store/views.h"

namespace {

const char* const kFileFilter =
    "Halcyon files (*.dat;*.sad)|*.dat;*.sad|Single grain files (*.das)|*.das|All files "
    "(*.*)|*.*";

TViewKind StoreViewKindOf(TEdForm1::TShownView kind) {
    switch (kind) {
        case TEdForm1::TShownView::Dat:
            return TViewKind::Dat;
        case TEdForm1::TShownView::Sad:
            return TViewKind::Sad;
        case TEdForm1::TShownView::Das:
            return TViewKind::Das;
        default:
            return TViewKind::General;
    }
}

}  // namespace

TRecordKind TEdForm1::RecordKindOf(TShownView view) {
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

TBinDataSet* TEdForm1::ViewFor(TShownView kind) const {
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

TEdForm1::TShownView TEdForm1::KindForFile() const {
    if (fileName_.isEmpty()) return TShownView::None;
    if (generalMode_) return TShownView::General;
    if (fileKind_ == QLatin1String("DAT")) return TShownView::Dat;
    if (fileKind_ == QLatin1String("SAD")) return TShownView::Sad;
    if (fileKind_ == QLatin1String("DAS")) return TShownView::Das;
    return TShownView::None;
}

QString TEdForm1::SchemaNameFor(const QString& path) const {
    return QString::fromStdString(EditorSchemaNameFor(path.toStdString(), DataDirectory()));
}

bool TEdForm1::ConfirmDropOrSave() {
    TBinDataSet* view = ShownView();
    if (!view || !view->Modified()) return true;
    switch (prompts_->AskSaveChanges(this)) {
        case TUserPrompts::TAnswer::Cancel:
            return false;
        case TUserPrompts::TAnswer::No:
            view->SetModified(false);
            return true;
        case TUserPrompts::TAnswer::Yes:
            return true;
    }
    return true;
}

void TEdForm1::CloseShownView() {
    TBinDataSet* view = ShownView();
    if (view) {
        if (view->State() == TDataSetState::Edit || view->State() == TDataSetState::Insert)
            view->Post();
        // Write the changes first: when that fails the view stays open and shown as it was,
        // with its changes, its current record and the controls of its layout.
        if (view->Modified()) view->SaveOnClose();
        emit viewClosing();
        view->Close();
    }
    shownKind_ = TShownView::None;
    grid_->Clear();
    recordForm_->SetView(nullptr, TRecordKind::Dat);
}

void TEdForm1::BindViewToWidgets() {
    TBinDataSet* view = ShownView();
    const TRecordKind kind = RecordKindOf(shownKind_);
    const bool general = generalMode_;
    formStack_->setCurrentWidget(general ? static_cast<QWidget*>(generalArea_) : recordForm_);
    grid_->ShowView(view, kind);
    grid_->SetNormalOptions();
    recordForm_->SetView(general ? nullptr : view, kind);
    if (view && !view->IsEmpty()) {
        view->First();
        grid_->SelectRecord(0);
        recordForm_->Refresh();
        grid_->setFocus();
    }
}

bool TEdForm1::OpenShownView() {
    shownKind_ = KindForFile();
    TBinDataSet* view = ViewFor(shownKind_);
    if (!generalMode_) {
        // Only the typed view of the file's kind keeps a file name.
        for (TBinDataSet* v : {datView_.get(), sadView_.get(), dasView_.get()})
            if (v != view && !v->Active()) v->SetFileName(std::string());
    }
    if (!view) {
        BindViewToWidgets();
        return true;
    }
    ConfigureView(*view, StoreViewKindOf(shownKind_));
    view->SetFileName(fileName_.toStdString());
    view->SetSchemaFileName(SchemaNameFor(fileName_).toStdString());
    const TRecordKind kind = RecordKindOf(shownKind_);
    if (kind != TRecordKind::General)
        view->SetOnCalcFields(presentation::MakeCalculationCallback(kind, TextLocale()));
    else
        view->SetOnCalcFields(nullptr);
    try {
        view->Open();
    } catch (const std::exception& e) {
        shownKind_ = TShownView::None;
        BindViewToWidgets();
        ShowError(QString::fromStdString(e.what()));
        return false;
    }
    BindViewToWidgets();
    return true;
}

void TEdForm1::ForgetFile() {
    fileName_.clear();
    fileKind_.clear();
    fileLabel_->clear();
    openCompleted_ = false;
    ShowFilePanels(false);
    UpdateActions();
}

bool TEdForm1::OpenFile(const QString& path) {
    if (!CloseFile()) return false;
    const QFileInfo info(path);
    fileName_ = info.absoluteFilePath();
    fileKind_ = info.suffix().toUpper();
    ShowFilePanels(true);
    fileLabel_->setText(QStringLiteral("File open: ") + info.fileName());
    const std::string dir = QDir::toNativeSeparators(info.absolutePath()).toStdString();
    if (ReadSetting("Data files directory") != dir) WriteSetting("Data files directory", dir);
    if (!OpenShownView()) {
        ForgetFile();  // the window shows no file after a failed open
        return false;
    }
    openCompleted_ = true;
    emit viewOpened(true);
    UpdateActions();
    return openCompleted_;
}

bool TEdForm1::CloseFile() {
    if (fileName_.isEmpty()) return true;
    if (!ConfirmDropOrSave() || !TryCloseShownView()) return false;
    ForgetFile();
    return true;
}

bool TEdForm1::TryCloseShownView() {
    try {
        CloseShownView();
    } catch (const std::exception& e) {
        // The file stays open with its changes.
        ShowError(QString::fromStdString(e.what()));
        UpdateActions();
        return false;
    }
    return true;
}

bool TEdForm1::WriteShownView(const QString& path) {
    TBinDataSet* view = ShownView();
    try {
        if (view->State() != TDataSetState::Browse) view->Post();
        view->SaveToFile(path.toStdString());
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()));
        return false;
    }
    return true;
}

bool TEdForm1::SaveFile() {
    TBinDataSet* view = ShownView();
    if (!view || !WriteShownView(fileName_)) return false;
    RefreshView();
    return true;
}

bool TEdForm1::SaveFileAs(const QString& path) {
    TBinDataSet* view = ShownView();
    if (!view || path.isEmpty()) return false;
    const QString target = QFileInfo(path).absoluteFilePath();
    if (!WriteShownView(target)) return false;
    view->SetFileName(target.toStdString());  // derives the new subfile name
    fileName_ = target;
    fileLabel_->setText(QStringLiteral("File open: ") + QFileInfo(target).fileName());
    RefreshView();
    return true;
}

void TEdForm1::SwitchMode() {
    generalMode_ = !generalMode_;
    if (!fileName_.isEmpty()) {
        if (!TryCloseShownView()) {  // changes are written without asking
            generalMode_ = !generalMode_;
            UpdateActions();
            return;
        }
        OpenShownView();
        if (ShownView()) emit viewOpened(false);
    } else {
        formStack_->setCurrentWidget(generalMode_ ? static_cast<QWidget*>(generalArea_)
                                                  : recordForm_);
    }
    UpdateActions();
    emit modeChanged();
}

bool TEdForm1::PrepareExit() {
    return ConfirmDropOrSave() && TryCloseShownView();
}

void TEdForm1::OnOpen() {
    const QString dir = QString::fromStdString(ReadSetting("Data files directory"));
    const QString path = prompts_->OpenFileName(this, QStringLiteral("Open data file"), dir,
                                                QString::fromLatin1(kFileFilter));
    if (!path.isEmpty()) OpenFile(path);
}

void TEdForm1::OnSave() {
    SaveFile();
}

void TEdForm1::OnSaveAs() {
    if (!ShownView()) return;
    const QString path =
        prompts_->SaveFileName(this, QStringLiteral("Save data file as..."), fileName_,
                               QString::fromLatin1(kFileFilter), QStringLiteral("DAT"));
    if (!path.isEmpty()) SaveFileAs(path);
}

void TEdForm1::OnClose() {
    CloseFile();
}

void TEdForm1::OnExit() {
    if (!PrepareExit()) return;
    exiting_ = true;
    close();
}
