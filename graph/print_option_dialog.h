#pragma once
// TPrintOptionDlg: "Orvane - printing ", the dialog before a graph is printed: the printer's
// name and paper, "print to file", "Setup printer", the three page layouts, "send graph to
// printer as b/w" and "Edit notes". One dialog serves every graph window; "print to file"
// is kept for the whole program run, whichever window showed the dialog and whether that
// window still exists.
#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPrinter;
struct TPrintOptions;

class TPrintOptionDlg : public QDialog {
    Q_OBJECT

public:
    explicit TPrintOptionDlg(QWidget* parent = nullptr);
    // The program's one dialog, made on first use.
    static TPrintOptionDlg& Instance(QWidget* parent);

    // Shows the dialog with the window's options and notes; on "Print" the window takes back
    // layout, black and white and notes, and true is returned.
    bool Run(QPrinter& printer, TPrintOptions& options, QString& notes);
    // Fills the controls without showing the dialog (Run does this first).
    void Prepare(QPrinter& printer, const TPrintOptions& options, const QString& notes);
    // What the controls hold now.
    void Take(TPrintOptions& options, QString& notes) const;
    bool PrintToFile() const;
    void SetPrintToFile(bool on);

    // The paper name of a paper-size code: 1 to 41 by the table, "not detected" for 0 and
    // codes above 41, "Custom size" for negative codes.
    static QString PaperName(int code);

    QButtonGroup* Layouts() const { return layouts_; }
    QCheckBox* BlackAndWhite() const { return blackWhite_; }
    QPlainTextEdit* NotesEdit() const { return notesEdit_; }
    QLabel* PaperLabel() const { return paper_; }

private:
    void RefreshPrinter();

    QPrinter* printer_ = nullptr;
    QLabel* name_ = nullptr;
    QLabel* paper_ = nullptr;
    QCheckBox* toFile_ = nullptr;
    QButtonGroup* layouts_ = nullptr;
    QCheckBox* blackWhite_ = nullptr;
    QGroupBox* notesGroup_ = nullptr;
    QPlainTextEdit* notesEdit_ = nullptr;
    QString notes_;
};
