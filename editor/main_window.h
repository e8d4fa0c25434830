#pragma once
// The editor's main window: owns the record stores, opens one record file at a time and shows
// it in one of two modes ("Halcyon files": the maker's fixed views; "General editor": the view
// made from the schema), and hosts every command of the program as a named QAction.
#include <QMainWindow>
#include <QString>
#include <memory>
#include <string>

#include "editor/user_prompts.h"
#include "record_store/presentation_record.h"

class QAction;
class QLabel;
class QMenu;
class QScrollArea;
class QSplitter;
class QStackedWidget;
class QToolBar;
class QWidget;
class TBinDataSet;
class TBinDataGrid;
class TRecordForm;
class TRecordNavigator;
class TSettingsStore;
class TSplashWidget;
class THelpWindow;

class TEdForm1 : public QMainWindow {
    Q_OBJECT

public:
    // Which view is shown: none, the general view or one of the maker's views.
    enum class TShownView { None, General, Dat, Sad, Das };

    // The window reads and writes per-user settings through `settings` and asks the user
    // through `prompts`; both must outlive the window. A null `prompts` uses message boxes
    // and file dialogs.
    explicit TEdForm1(TSettingsStore& settings, TUserPrompts* prompts = nullptr,
                      QWidget* parent = nullptr);
    ~TEdForm1() override;

    // --- Interface for the commands of other editor parts ---
    TBinDataSet* ShownView() const;  // nullptr when no view is shown
    TBinDataGrid* Grid() const;
    // The container of the edit controls built from a layout file ("General editor" mode).
    QWidget* GeneralFormArea() const;
    TSettingsStore& Settings();
    // "Data directory" with a trailing separator, or empty when not set.
    std::string DataDirectory() const;
    bool IsGeneralMode() const;
    // "True;False" texts of boolean fields, e.g. "Yes;No".
    void SetBooleanDisplay(const QString& yesNo);
    QString BooleanDisplay() const;
    // Re-reads the shown view into grid and form (after bulk edits).
    void RefreshView();
    void ShowError(const QString& message);
    // Called by a step run on viewOpened(true) that failed after showing its error: the rest
    // of Open is not carried out, so the file stays open with its file commands disabled.
    void AbandonOpen() { openCompleted_ = false; }
    // A file is open and every step of its Open was carried out.
    bool FileCommandsEnabled() const { return !fileName_.isEmpty() && openCompleted_; }

    // --- State ---
    QString FileName() const { return fileName_; }
    QString FileKind() const { return fileKind_; }
    TShownView ShownViewKind() const { return shownKind_; }
    // The record kind of a view: the presentation rules of the maker's views, or General.
    static TRecordKind RecordKindOf(TShownView view);
    TRecordKind ShownRecordKind() const { return RecordKindOf(shownKind_); }
    bool TLCurves() const { return tlCurves_; }
    bool SubtractedCurves() const { return subtractedCurves_; }
    QString FileLabelText() const;
    TRecordForm* RecordForm() const { return recordForm_; }
    TUserPrompts& Prompts() { return *prompts_; }
    // Window size for a screen of the given width (the classic 648 x 526 scaled).
    // The classic 648 x 526 scaled by screen width / 1024, kept within the available area.
    static QSize DefaultSize(const QSize& available);
    // Help by context number of a command (the "helpContext" property of its action).
    void ShowHelpContext(int context);
    THelpWindow* HelpWindow() const { return help_; }

    // --- File commands (also reachable through the actions) ---
    // Each returns false when the command was cancelled or failed (after showing the error).
    bool OpenFile(const QString& path);
    bool CloseFile();  // asks "Save changed data?" when needed
    bool SaveFile();
    bool SaveFileAs(const QString& path);
    void SwitchMode();
    // Runs the Exit command's question and closing; returns false when cancelled.
    bool PrepareExit();
    // Moves the shown view's cursor to the record at 1-based position n (grid row n - 1).
    void GoToRecord(int position);

signals:
    // A view was opened: by Open (`fileOpened`, the layout file for the kind is looked up) or
    // by a mode switch (the layout file already chosen for the open file is used again).
    void viewOpened(bool fileOpened);
    void viewClosing();  // the shown view is about to close
    void modeChanged();
    void currentRecordChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // main_window_actions.cpp
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    QAction* NewAction(const char* name, const QString& caption, int helpContext);
    QAction* Action(const char* name) const;
    void UpdateActions();
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
    void OnSave();
    void OnSaveAs();
    void OnClose();
    void OnExit();
    // Closes the shown view, writing changes when modified. Throws TEditorError on a failed
    // write; the view then stays open with its changes.
    void CloseShownView();
    // CloseShownView, showing the error of a failed write; false then.
    bool TryCloseShownView();
    // Posts a pending edit and writes the shown view to `path`; false (after the error) when
    // that fails.
    bool WriteShownView(const QString& path);
    // Opens the view the mode needs for the current file; false (after the error) on failure.
    bool OpenShownView();
    TBinDataSet* ViewFor(TShownView kind) const;
    TShownView KindForFile() const;
    void BindViewToWidgets();
    // Asks about unsaved changes: returns false on Cancel; on No drops the changes.
    bool ConfirmDropOrSave();
    // The window shows no file: name, kind and label cleared, the splash shown.
    void ForgetFile();
    QString SchemaNameFor(const QString& path) const;

    TSettingsStore& settings_;
    std::unique_ptr<TUserPrompts> ownPrompts_;
    TUserPrompts* prompts_ = nullptr;

    std::unique_ptr<TBinDataSet> generalView_;
    std::unique_ptr<TBinDataSet> datView_;
    std::unique_ptr<TBinDataSet> sadView_;
    std::unique_ptr<TBinDataSet> dasView_;
    TShownView shownKind_ = TShownView::None;

    QString fileName_;
    QString fileKind_;
    bool generalMode_ = false;
    bool tlCurves_ = true;
    bool subtractedCurves_ = true;
    QString booleanDisplay_ = QStringLiteral("Yes;No");

    QWidget* central_ = nullptr;
    TSplashWidget* splash_ = nullptr;
    QWidget* filePage_ = nullptr;
    QStackedWidget* formStack_ = nullptr;
    QSplitter* splitter_ = nullptr;
    TRecordForm* recordForm_ = nullptr;
    QScrollArea* generalArea_ = nullptr;
    QWidget* generalForm_ = nullptr;
    TRecordNavigator* navigator_ = nullptr;
    TBinDataGrid* grid_ = nullptr;
    QLabel* fileLabel_ = nullptr;
    QLabel* statusRecord_ = nullptr;
    QLabel* statusMode_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    THelpWindow* help_ = nullptr;
    QMenu* editMenu_ = nullptr;
    QMenu* curvesMenu_ = nullptr;
    QMenu* toolsMenu_ = nullptr;
    QMenu* utilitiesMenu_ = nullptr;
    QMenu* computeMenu_ = nullptr;
    QMenu* ageMenu_ = nullptr;
    bool exiting_ = false;
    bool openCompleted_ = false;
};
