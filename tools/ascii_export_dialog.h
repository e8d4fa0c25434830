#pragma once
// The dialog "Select fields for conversion": the fields of the main grid ("Fields: ") and the
// ordered list of those to export ("Convert to ASCII: "), the delimiter, whether records
// become rows or columns, and whether curves are also integrated over the current ROI sets.
// Every choice persists while the program runs.
#include <QDialog>
#include <string>
#include <utility>
#include <vector>

#include "tools/ascii_export.h"

class QCheckBox;
class QComboBox;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;

class TConvASCIIDlg : public QDialog {
    Q_OBJECT

public:
    explicit TConvASCIIDlg(QWidget* parent = nullptr);

    // Fills "Fields: " with the file's data and calculated fields (name, column position in
    // the file's normal grid) that are not chosen. Offered the same fields again, the lists
    // stay as the user left them; offered other fields (another file), chosen fields the
    // file lacks are dropped.
    void FillFields(const std::vector<std::pair<std::string, int>>& columns);

    // The choices: items of "Convert to ASCII: " in order, delimiter text, arrangement, ROIs.
    TAsciiExportSettings Settings() const;

    // The commands of the dialog (also used by its buttons).
    void AddSelected();
    void RemoveSelected();
    void MoveSelected(int step);  // -1 up, +1 down

    QListWidget* AllFieldsList() const { return all_; }
    QListWidget* AsciiFieldsList() const { return chosen_; }

private:
    std::vector<std::pair<std::string, int>> offered_;  // the fields last offered
    void UpdateButtons();

    QListWidget* all_ = nullptr;
    QListWidget* chosen_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* up_ = nullptr;
    QPushButton* down_ = nullptr;
    QComboBox* delimiter_ = nullptr;
    QRadioButton* rows_ = nullptr;
    QRadioButton* columns_ = nullptr;
    QCheckBox* rois_ = nullptr;
};
