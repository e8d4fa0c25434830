#pragma once
// TRoiSetsDlg (TPagesDlg in the laboratory manuals), shown as "System parameters": the
// dialog that edits the TL and the OSL ROI sets, one page each
// ("Set TL ROIs", "Set OSL ROIs"). It loads the sets from the settings each time it is shown
// and stores a changed kind when it closes (by OK or Cancel) or at once by "Save ROIs".
#include <QDialog>
#include <functional>

#include "roi/roi_sets.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTableWidget;
class TSettingsStore;

class TRoiSetsDlg : public QDialog {
    Q_OBJECT

public:
    TRoiSetsDlg(TROISets& sets, TSettingsStore& store, QWidget* parent = nullptr);

    void ShowPage(TROIKind kind);
    TROIKind CurrentPage() const;
    // Reports a failed write of the settings; the default shows a message box.
    void SetErrorReporter(std::function<void(const QString&)> reporter) {
        reportError_ = std::move(reporter);
    }
    bool NamingNewSet() const { return naming_; }

    // --- Controls of a page (tests) ---
    QListWidget* SetList(TROIKind kind) const { return page(kind).list; }
    QTableWidget* Grid(TROIKind kind) const { return page(kind).grid; }
    QLineEdit* NewNameEdit(TROIKind kind) const { return page(kind).newName; }
    QPushButton* NewButton(TROIKind kind) const { return page(kind).newButton; }
    QPushButton* SaveButton(TROIKind kind) const { return page(kind).saveButton; }
    QPushButton* DeleteButton(TROIKind kind) const { return page(kind).deleteButton; }
    QPushButton* AcceptNewButton(TROIKind kind) const { return page(kind).acceptButton; }
    QPushButton* CancelNewButton(TROIKind kind) const { return page(kind).cancelNewButton; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

    static inline const char* const kStoreFailedMessage =
        "The ROI sets could not be written to the user settings.";

signals:
    void helpRequested();

protected:
    void showEvent(QShowEvent* event) override;

public slots:
    void done(int result) override;

private:
    struct TPage {
        TROIKind kind = TROIKind::TL;
        QWidget* widget = nullptr;
        QLabel* listLabel = nullptr;
        QListWidget* list = nullptr;
        QTableWidget* grid = nullptr;
        QLabel* newNameLabel = nullptr;
        QLineEdit* newName = nullptr;
        QPushButton* newButton = nullptr;
        QPushButton* saveButton = nullptr;
        QPushButton* deleteButton = nullptr;
        QPushButton* acceptButton = nullptr;
        QPushButton* cancelNewButton = nullptr;
    };

    TPage& page(TROIKind kind) { return kind == TROIKind::TL ? tl_ : osl_; }
    const TPage& page(TROIKind kind) const { return kind == TROIKind::TL ? tl_ : osl_; }
    void BuildPage(TPage& p, TROIKind kind, const QString& title);
    void LoadAll();
    void ShowSets(TPage& p);
    void ShowSet(TPage& p, const TROISet& set);
    TROISet ReadGrid(const TPage& p) const;
    void StoreKind(TROIKind kind);
    void UpdateButtons();
    void ShowNaming(TPage& p, bool on);

    void OnSetChosen(TPage& p, int row);
    void OnSave(TPage& p);
    void OnNew(TPage& p);
    void OnAcceptNew(TPage& p);
    void OnCancelNew(TPage& p);
    void OnDelete(TPage& p);
    void OnCellChanged(TPage& p);

    TROISets& sets_;
    TSettingsStore& store_;
    std::function<void(const QString&)> reportError_;
    QTabWidget* tabs_ = nullptr;
    TPage tl_;
    TPage osl_;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* help_ = nullptr;
    bool naming_ = false;   // a new set is being named (shared by both pages)
    bool filling_ = false;  // the dialog itself is filling lists and grids
};
