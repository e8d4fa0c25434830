#pragma once
// The questions the main window asks the user: message boxes and file dialogs. The window
// asks through this seam so that tests can answer in place of a person.
#include <QString>
#include <optional>

class QWidget;

class TUserPrompts {
public:
    enum class TAnswer { Yes, No, Cancel };

    virtual ~TUserPrompts() = default;
    // "Data have been changed!" / "Save changed data?" with Yes, No and Cancel.
    virtual TAnswer AskSaveChanges(QWidget* parent) = 0;
    // An error message box with an OK button.
    virtual void ShowError(QWidget* parent, const QString& message) = 0;
    // A warning message box (caption "Warning!") with an OK button.
    virtual void ShowWarning(QWidget* parent, const QString& message) {
        ShowError(parent, message);
    }
    // Open and save file dialogs; an empty result means the user cancelled.
    virtual QString OpenFileName(QWidget* parent, const QString& title, const QString& directory,
                                 const QString& filter) = 0;
    // The dialog asks before overwriting an existing file.
    virtual QString SaveFileName(QWidget* parent, const QString& title, const QString& proposed,
                                 const QString& filter, const QString& defaultSuffix) = 0;
    // A file to append to (a log): a save dialog that takes an existing file without asking
    // whether to overwrite it, since nothing in it is lost. Seams without a dialog of their
    // own answer as for SaveFileName.
    virtual QString AppendFileName(QWidget* parent, const QString& title, const QString& proposed,
                                   const QString& filter, const QString& defaultSuffix) {
        return SaveFileName(parent, title, proposed, filter, defaultSuffix);
    }
    // A question with Yes and No before a command that cannot be taken back by Undo; true for
    // Yes. Unless a seam answers it, the answer is No and nothing changes.
    virtual bool Confirm(QWidget* /*parent*/, const QString& /*title*/,
                         const QString& /*question*/) {
        return false;
    }
    // A line of text the user types, with OK and Cancel; nullopt for Cancel. Unless a seam
    // answers it, the answer is Cancel.
    virtual std::optional<QString> AskText(QWidget* /*parent*/, const QString& /*title*/,
                                           const QString& /*label*/, const QString& /*initial*/) {
        return std::nullopt;
    }
};

// The seam as the user sees it: QMessageBox and QFileDialog.
class TDialogPrompts : public TUserPrompts {
public:
    TAnswer AskSaveChanges(QWidget* parent) override;
    void ShowError(QWidget* parent, const QString& message) override;
    void ShowWarning(QWidget* parent, const QString& message) override;
    QString OpenFileName(QWidget* parent, const QString& title, const QString& directory,
                         const QString& filter) override;
    QString SaveFileName(QWidget* parent, const QString& title, const QString& proposed,
                         const QString& filter, const QString& defaultSuffix) override;
    QString AppendFileName(QWidget* parent, const QString& title, const QString& proposed,
                           const QString& filter, const QString& defaultSuffix) override;
    bool Confirm(QWidget* parent, const QString& title, const QString& question) override;
    std::optional<QString> AskText(QWidget* parent, const QString& title, const QString& label,
                                   const QString& initial) override;

private:
    static QString AskFileToWrite(QWidget* parent, const QString& title, const QString& proposed,
                                  const QString& filter, const QString& defaultSuffix,
                                  bool confirmOverwrite);
};
