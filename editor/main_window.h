#pragma once
// TMainWindow (TEdForm1 in the laboratory manuals): the editor's main window. It shows the
// open file of its document (TEditorDocument) in one of two modes ("Halcyon files": the
// maker's fixed views; "General editor": the view made from the schema), hosts every command
// as an action of its TEditorActions table, runs the file commands, and gives controllers
// and modes the TEditorShell interface. Modes ("Subtract bgd", "Growth curve" ...) are
// registered with its TModeSwitcher; the window names none of them.
#include <QMainWindow>
#include <QString>
#include <array>
#include <memory>
#include <string>

#include "editor/editor_actions.h"
#include "editor/editor_document.h"
#include "editor/editor_shell.h"
#include "editor/user_prompts.h"
#include "record_store/presentation_record.h"

class QLabel;
class QMenu;
class QScrollArea;
class QSplitter;
class QStackedWidget;
class QToolBar;
class QWidget;
class TBinDataSet;
class TBinDataGrid;
class TLayoutController;
class TModeSwitcher;
class TRecordForm;
class TRecordNavigator;
class TRoiSetsDlg;
class TSelectionController;
class TSettingsStore;
class TSplashWidget;
class THelpWindow;

class TMainWindow : public QMainWindow, public TEditorShell {
    Q_OBJECT

public:
    using TShownView = TEditorDocument::TShownView;

    // The window reads and writes per-user settings through `settings` and asks the user
    // through `prompts`; both must outlive the window. A null `prompts` uses message boxes
    // and file dialogs.
    explicit TMainWindow(TSettingsStore& settings, TUserPrompts* prompts = nullptr,
                         QWidget* parent = nullptr);
    ~TMainWindow() override;

    // --- TEditorShell ---------------------------------------------------------------------
    TEditorDocument& Document() override { return *document_; }
    const TEditorDocument& Document() const override { return *document_; }
    QWidget* Window() override { return this; }
    QAction* Action(TActionId id) const override { return actions_[id]; }
    QMenu* Menu(TMenuId id) const override { return menus_[static_cast<std::size_t>(id)]; }
    TBinDataGrid* Grid() const override;
    TRecordForm* RecordForm() const override { return recordForm_; }
    QWidget* GeneralFormArea() const override;
    void ShowPanel(QWidget* panel) override;
    TSettingsStore& Settings() override;
    TUserPrompts& Prompts() override { return *prompts_; }
    std::string DataDirectory() const override;
    QString BooleanDisplay() const override;
    void SetBooleanDisplay(const QString& yesNo) override;
    bool TLCurves() const override { return tlCurves_; }
    bool SubtractedCurves() const override { return subtractedCurves_; }
    bool FileCommandsEnabled() const override { return document_->HasFile() && openCompleted_; }
    void RefreshView() override;
    void GoToRecord(int position) override;
    void SetModeStatus(const QString& text) override;
    bool CommandBlocked(TActionId id) const override;
    void UpdateActions() override;
    void ShowError(const QString& message) override;
    void ShowHelpContext(int context) override;
    void AbandonOpen() override { openCompleted_ = false; }

    // --- Parts of the window --------------------------------------------------------------
    TModeSwitcher& Modes() const { return *modes_; }
    TLayoutController& LayoutController() const { return *layout_; }
    TSelectionController& SelectionController() const { return *selection_; }
    TRoiSetsDlg* SystemParametersDialog() const { return roiDialog_; }
    THelpWindow* HelpWindow() const { return help_; }

    // --- State (from the document) --------------------------------------------------------
    TBinDataSet* ShownView() const { return document_->ShownView(); }  // nullptr: none
    QString FileName() const { return document_->FileName(); }
    QString FileKind() const { return document_->FileKind(); }
    TShownView ShownViewKind() const { return document_->ShownViewKind(); }
    TRecordKind ShownRecordKind() const { return document_->ShownRecordKind(); }
    static TRecordKind RecordKindOf(TShownView view) { return TEditorDocument::RecordKindOf(view); }
    bool IsGeneralMode() const { return document_->GeneralMode(); }
    QString FileLabelText() const;
    // Window size for a screen of the given width: the classic 648 x 526 scaled by screen
    // width / 1024, kept within the available area.
    static QSize DefaultSize(const QSize& available);

    // --- File commands (also reachable through the actions) ---
    // Each returns false when the command was cancelled or failed (after showing the error).
    bool OpenFile(const QString& path) override;
    bool CloseFile();  // asks "Save changed data?" when needed
    bool SaveFile();
    bool SaveFileAs(const QString& path);
    void SwitchMode();
    // Runs the Exit command's question and closing; returns false when cancelled.
    bool PrepareExit();
    // "Restore from backup": after the question "Replace S12.DAT with its backup of <date
    // time>?", the record file and subfile swap places with their backups and the file is
    // opened again (its undo stack is empty then). False when there is no backup, the user
    // said No, or the restore failed (after its message; the file is shown as it was).
    bool RestoreFromBackup();
    // Text typed into a field of the grid or a record form and not yet stored is stored now,
    // as Enter would store it. False when it could not be stored (its message was shown):
    // a command that saves, closes, switches the mode or leaves the record then stops.
    bool CommitPendingEdit();

signals:
    // The document's signals, for those who watch the window.
    void viewOpened(bool fileOpened);
    void viewClosing();
    void modeChanged();  // "Halcyon files" <-> "General editor"
    void currentRecordChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // main_window_actions.cpp
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void UpdateModeCaptions();

    // main_window.cpp
    void CreateStatusBar();
    void CreateCentralArea();
    void ShowFilePanels(bool show);
    void UpdateStatus();
    void OnHelpTopic(const QString& topic);
    void OnCurrentRowChanged(int row);
    void OnRecordEdited();
    presentation::TTextLocale TextLocale() const;
    void WriteSetting(const char* name, const std::string& value);
    std::string ReadSetting(const char* name) const;

    // main_window_files.cpp
    void OnOpen();
    void OnSaveAs();
    void OnExit();
    // Closes the shown view, writing changes when modified; the widgets let it go. Throws
    // TEditorError on a failed write; the view then stays open with its changes.
    void CloseShownView();
    // CloseShownView, showing the error of a failed write; false then.
    bool TryCloseShownView();
    // Writes the shown view to `path`; false (after the error) when that fails.
    bool WriteShownView(const QString& path);
    // Opens the view the mode needs for the current file; false (after the error) on failure.
    bool OpenShownView();
    void BindViewToWidgets();
    // Asks about unsaved changes: returns false on Cancel; on No drops the changes.
    bool ConfirmDropOrSave();
    // The window shows no file: name, kind and label cleared, the splash shown.
    void ForgetFile();
    QString SchemaNameFor(const QString& path) const;

    TSettingsStore& settings_;
    std::unique_ptr<TUserPrompts> ownPrompts_;
    TUserPrompts* prompts_ = nullptr;
    TEditorDocument* document_ = nullptr;
    TEditorActions actions_;
    std::array<QMenu*, kMenuCount> menus_{};
    TModeSwitcher* modes_ = nullptr;
    TLayoutController* layout_ = nullptr;
    TSelectionController* selection_ = nullptr;
    TRoiSetsDlg* roiDialog_ = nullptr;

    bool tlCurves_ = true;
    bool subtractedCurves_ = true;
    QString booleanDisplay_ = QStringLiteral("Yes;No");
    QString modeStatus_;

    QWidget* central_ = nullptr;
    TSplashWidget* splash_ = nullptr;
    QWidget* filePage_ = nullptr;
    QStackedWidget* formStack_ = nullptr;
    QSplitter* splitter_ = nullptr;
    TRecordForm* recordForm_ = nullptr;
    QScrollArea* generalArea_ = nullptr;
    QWidget* generalForm_ = nullptr;
    QWidget* panel_ = nullptr;  // a mode's panel in place of the form
    TRecordNavigator* navigator_ = nullptr;
    TBinDataGrid* grid_ = nullptr;
    QLabel* fileLabel_ = nullptr;
    QLabel* statusRecord_ = nullptr;
    QLabel* statusMode_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    THelpWindow* help_ = nullptr;
    bool exiting_ = false;
    int errorsShown_ = 0;  // counts ShowError, to tell whether committing an edit failed
    bool openCompleted_ = false;
};
