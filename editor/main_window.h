#pragma once
// The editor's main window: owns the record stores, opens one record file at a time and shows
// it in one of two modes ("Halcyon files": the maker's fixed views; "General editor": the view
// made from the schema), and hosts every command of the program as a named QAction.
#include <QMainWindow>
#include <QString>
#include <memory>
#include <string>

#include "editor/user_prompts.h"

class QAction;
class QLabel;
class QMenu;
class QScrollArea;
class QStackedWidget;
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
    enum class TViewKind { None, General, Dat, Sad, Das };

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

    // --- State ---
    QString FileName() const { return fileName_; }
    QString FileKind() const { return fileKind_; }
    TViewKind ShownViewKind() const { return shownKind_; }
    bool TLCurves() const { return tlCurves_; }
    bool SubtractedCurves() const { return subtractedCurves_; }
    QString FileLabelText() const;
    TRecordForm* RecordForm() const { return recordForm_; }
    TUserPrompts& Prompts() { return *prompts_; }
    // Window size for a screen of the given width (the classic 648 x 526 scaled).
    static QSize DefaultSize(int screenWidth);

    // --- File commands (also reachable through the actions) ---
    // Each returns false when the command was cancelled or failed (after showing the error).
    bool OpenFile(const QString& path);
    bool CloseFile();     // asks "Save changed data?" when needed
    bool SaveFile();
    bool SaveFileAs(const QString& path);
    void SwitchMode();
    // Runs the Exit command's question and closing; returns false when cancelled.
    bool PrepareExit();
    // Moves the shown view's cursor to the record at 1-based position n (grid row n - 1).
    void GoToRecord(int position);

signals:
    void viewOpened();        // a view was opened; the layout file for the kind may be loaded
    void viewClosing();       // the shown view is about to close
    void modeChanged();
    void currentRecordChanged();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateCentralArea();
    QAction* NewAction(const QString& name, const QString& caption, int helpContext);
    QAction* Action(const char* name) const;

    void OnOpen();
    void OnSave();
    void OnSaveAs();
    void OnClose();
    void OnExit();
    void OnHelpTopic(const QString& topic);
    void OnCurrentRowChanged(int row);
    void OnRecordEdited();

    // Closes the shown view, writing changes when modified. Throws TEditorError on a failed
    // write; the view then stays open with its changes.
    void CloseShownView();
    // Opens the view the mode needs for the current file; false (after the error) on failure.
    bool OpenShownView();
    TBinDataSet* ViewFor(TViewKind kind) const;
    TViewKind KindForFile() const;
    void ShowFilePanels(bool show);
    void BindViewToWidgets();
    void UpdateActions();
    void UpdateStatus();
    // Asks about unsaved changes: returns false on Cancel; on No drops the changes.
    bool ConfirmDropOrSave();
    void WriteSetting(const char* name, const std::string& value);
    std::string ReadSetting(const char* name) const;

    TSettingsStore& settings_;
    std::unique_ptr<TUserPrompts> ownPrompts_;
    TUserPrompts* prompts_ = nullptr;

    std::unique_ptr<TBinDataSet> generalView_;
    std::unique_ptr<TBinDataSet> datView_;
    std::unique_ptr<TBinDataSet> sadView_;
    std::unique_ptr<TBinDataSet> dasView_;
    TViewKind shownKind_ = TViewKind::None;

    QString fileName_;
    QString fileKind_;
    bool generalMode_ = false;
    bool tlCurves_ = true;
    bool subtractedCurves_ = true;
    QString booleanDisplay_ = QStringLiteral("Yes;No");
    bool positionsChanged_ = false;

    QStackedWidget* stack_ = nullptr;
    TSplashWidget* splash_ = nullptr;
    QWidget* filePage_ = nullptr;
    TRecordForm* recordForm_ = nullptr;
    QScrollArea* generalArea_ = nullptr;
    QWidget* generalForm_ = nullptr;
    TRecordNavigator* navigator_ = nullptr;
    TBinDataGrid* grid_ = nullptr;
    QLabel* fileLabel_ = nullptr;
    QLabel* statusRecord_ = nullptr;
    QLabel* statusMode_ = nullptr;
    THelpWindow* help_ = nullptr;
    bool exiting_ = false;
};
