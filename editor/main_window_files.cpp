// File commands of the main window: open, save, save as, close, restore from backup, exit and
// the mode switch, and storing an edit in progress before them.
#include <QAction>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QScrollArea>
#include <QStackedWidget>

#include "editor/bin_data_grid.h"
#include "editor/editor_document.h"
#include "editor/main_window.h"
#include "editor/record_form.h"
#include "record_store/backup_restore.h"
#include "record_store/bin_data_set.h"
#include "record_store/editor_error.h"
#include "record_store/file_names.h"

namespace {

const char* const kFileFilter =
    "Halcyon files (*.dat;*.sad)|*.dat;*.sad|Single grain files (*.das)|*.das|All files "
    "(*.*)|*.*";

}  // namespace

QString TMainWindow::SchemaNameFor(const QString& path) const {
    return QString::fromStdString(EditorSchemaNameFor(path.toStdString(), DataDirectory()));
}

bool TMainWindow::ConfirmDropOrSave() {
    if (!document_->Modified()) return true;
    switch (prompts_->AskSaveChanges(this)) {
        case TUserPrompts::TAnswer::Cancel:
            return false;
        case TUserPrompts::TAnswer::No:
            document_->DropChanges();
            return true;
        case TUserPrompts::TAnswer::Yes:
            return true;
    }
    return true;
}

void TMainWindow::CloseShownView() {
    document_->CloseShownView();
    grid_->Clear();
    recordForm_->SetView(nullptr, TRecordKind::Dat);
}

void TMainWindow::BindViewToWidgets() {
    TBinDataSet* view = ShownView();
    const TRecordKind kind = ShownRecordKind();
    const bool general = IsGeneralMode();
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

bool TMainWindow::OpenShownView() {
    const TShownView kind = document_->ViewKindForFile();
    const TRecordKind recordKind = TEditorDocument::RecordKindOf(kind);
    std::function<void(TBinDataSet&)> calculation;
    if (recordKind != TRecordKind::General)
        calculation = presentation::MakeCalculationCallback(recordKind, TextLocale());
    try {
        document_->OpenView(kind, SchemaNameFor(document_->FileName()).toStdString(),
                            std::move(calculation));
    } catch (const std::exception& e) {
        BindViewToWidgets();
        ShowError(QString::fromStdString(e.what()));
        return false;
    }
    BindViewToWidgets();
    return true;
}

void TMainWindow::ForgetFile() {
    document_->ForgetFile();
    fileLabel_->clear();
    openCompleted_ = false;
    ShowFilePanels(false);
    UpdateActions();
}

bool TMainWindow::OpenFile(const QString& path) {
    if (!CloseFile()) return false;
    const QFileInfo info(path);
    document_->SetFile(info.absoluteFilePath());
    ShowFilePanels(true);
    fileLabel_->setText(QStringLiteral("File open: ") + info.fileName());
    const std::string dir = QDir::toNativeSeparators(info.absolutePath()).toStdString();
    if (ReadSetting("Data files directory") != dir) WriteSetting("Data files directory", dir);
    if (!OpenShownView()) {
        ForgetFile();  // the window shows no file after a failed open
        return false;
    }
    openCompleted_ = true;
    document_->NotifyOpened(true);
    UpdateActions();
    return openCompleted_;
}

bool TMainWindow::CloseFile() {
    if (!document_->HasFile()) return true;
    if (!CommitPendingEdit() || !ConfirmDropOrSave() || !TryCloseShownView()) return false;
    ForgetFile();
    return true;
}

bool TMainWindow::TryCloseShownView() {
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

bool TMainWindow::WriteShownView(const QString& path) {
    try {
        document_->SaveShownView(path.toStdString());
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()));
        return false;
    }
    return true;
}

bool TMainWindow::SaveFile() {
    if (!ShownView() || !CommitPendingEdit() || !WriteShownView(document_->FileName()))
        return false;
    RefreshView();
    UpdateActions();  // "Restore from backup" has a backup now
    return true;
}

bool TMainWindow::SaveFileAs(const QString& path) {
    TBinDataSet* view = ShownView();
    if (!view || path.isEmpty()) return false;
    const QString target = QFileInfo(path).absoluteFilePath();
    if (!CommitPendingEdit() || !WriteShownView(target)) return false;
    view->SetFileName(target.toStdString());  // derives the new subfile name
    document_->SetFileName(target);
    fileLabel_->setText(QStringLiteral("File open: ") + QFileInfo(target).fileName());
    RefreshView();
    UpdateActions();
    return true;
}

void TMainWindow::SwitchMode() {
    if (!CommitPendingEdit()) return;
    document_->SetGeneralMode(!IsGeneralMode());
    if (document_->HasFile()) {
        if (!TryCloseShownView()) {  // changes are written without asking
            document_->SetGeneralMode(!IsGeneralMode());
            UpdateActions();
            return;
        }
        OpenShownView();
        if (ShownView()) document_->NotifyOpened(false);
    } else {
        formStack_->setCurrentWidget(IsGeneralMode() ? static_cast<QWidget*>(generalArea_)
                                                     : recordForm_);
    }
    UpdateActions();
    document_->NotifyViewModeChanged();
}

bool TMainWindow::PrepareExit() {
    return CommitPendingEdit() && ConfirmDropOrSave() && TryCloseShownView();
}

bool TMainWindow::CommitPendingEdit() {
    QWidget* focus = focusWidget();  // the window's, whether or not it is active
    if (!focus || !document_->ShownView()) return true;
    const int errorsBefore = errorsShown_;
    if (focus->parentWidget() == grid_->viewport()) {
        // A cell editor of the grid: its delegate stores the text on Enter and closes it.
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(focus, &enter);
    } else if (auto* edit = qobject_cast<QLineEdit*>(focus); edit && edit->isModified()) {
        // The record forms store an edit's text when its editing finishes.
        emit edit->editingFinished();
    }
    return errorsShown_ == errorsBefore;
}

bool TMainWindow::RestoreFromBackup() {
    TBinDataSet* view = FileCommandsEnabled() ? ShownView() : nullptr;
    if (!view) return false;
    const QString path = document_->FileName();
    const TBackupFiles files = BackupFilesFor(path.toStdString(), view->SubSize() > 0);
    const std::string missing = MissingBackup(files);
    const std::optional<std::time_t> when = BackupTime(files);
    if (!missing.empty() || !when) {
        ShowError(QString::fromStdString(missing));
        UpdateActions();
        return false;
    }
    const QDateTime time = QDateTime::fromSecsSinceEpoch(*when);
    const QLocale locale;
    const QString question =
        QStringLiteral("Replace %1 with its backup of %2 %3?")
            .arg(QFileInfo(path).fileName(), locale.toString(time.date(), QLocale::ShortFormat),
                 locale.toString(time.time(), QLocale::LongFormat));
    if (!prompts_->Confirm(this, QStringLiteral("Restore from backup"), question)) return false;
    const int mainSize = view->MainSize();
    // The files on disk replace what is shown: changes not saved are dropped, not written
    // (writing them would replace the very backup that is to come back).
    document_->DropChanges();
    if (!TryCloseShownView()) return false;
    ForgetFile();
    bool restored = true;
    try {
        ::RestoreFromBackup(files, mainSize);
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()));
        restored = false;
    }
    return OpenFile(path) && restored;
}

void TMainWindow::OnOpen() {
    if (!CommitPendingEdit()) return;
    const QString dir = QString::fromStdString(ReadSetting("Data files directory"));
    const QString path = prompts_->OpenFileName(this, QStringLiteral("Open data file"), dir,
                                                QString::fromLatin1(kFileFilter));
    if (!path.isEmpty()) OpenFile(path);
}

void TMainWindow::OnSaveAs() {
    if (!ShownView()) return;
    const QString path =
        prompts_->SaveFileName(this, QStringLiteral("Save data file as..."), document_->FileName(),
                               QString::fromLatin1(kFileFilter), QStringLiteral("DAT"));
    if (!path.isEmpty()) SaveFileAs(path);
}

void TMainWindow::OnExit() {
    if (!PrepareExit()) return;
    exiting_ = true;
    close();
}
