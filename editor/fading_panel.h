#pragma once
// The panel of the fading test: the record filter (" Record filter ": the "Irradiation date"
// and "Device" lists, the " Irradiation " check boxes and "Apply filter") above the lists
// "Faded records" and "Fresh records" with "Check fading" between them. Records are dragged
// onto the lists from the record grid; Delete removes the focused line of a list. Below them
// " g-value ": the delay between irradiation and measurement, tc, "Fit g-value" and its result.
#include <QListWidget>
#include <QWidget>
#include <string>
#include <vector>

#include "analysis/fading_test.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

// A list of records: each line a text carrying the record's id, a record listed at most once.
// It takes drops of grid records while drops are enabled.
class TFadingList : public QListWidget {
    Q_OBJECT
public:
    // What the record grid puts on a drag of its records.
    static constexpr const char* kMimeType = "application/x-orvane-grid-records";
    explicit TFadingList(QWidget* parent = nullptr);

    // False when the record is listed already.
    bool AddRecord(const QString& text, int32_t id);
    std::vector<int32_t> RecordIds() const;

signals:
    void dragEntered();
    void recordsDropped();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

class TFadingPanel : public QWidget {
    Q_OBJECT

public:
    explicit TFadingPanel(QWidget* parent = nullptr);

    // Fills the "Irradiation date" and "Device" lists (each ends in its "any ..." entry) and
    // selects their first entries.
    void SetDates(const std::vector<std::string>& dates);
    void SetDevices(const std::vector<TDeviceEntry>& devices);
    // The filter the controls describe.
    TFadingFilter Filter() const;
    // The device chosen in the "Device" list; nullptr for "any device".
    const TDeviceEntry* SelectedDevice() const;
    void SetMessage(const QString& text);
    // Empties both lists and the message.
    void ClearLists();

    // " g-value ": the delay (s) of the records irradiated last, tc (s; 0: the shortest time).
    double Delay() const;
    double Tc() const;
    void SetDelay(double seconds);
    void SetTc(double seconds);
    void SetGValueText(const QString& text);
    QString GValueText() const;

    TFadingList* FadedList() const { return faded_; }
    TFadingList* FreshList() const { return fresh_; }

signals:
    void applyFilterClicked();
    void checkFadingClicked();
    void fitGValueClicked();

private:
    QComboBox* dates_ = nullptr;
    QComboBox* devices_ = nullptr;
    std::vector<TDeviceEntry> deviceEntries_;
    QCheckBox* naturalPlusDose_ = nullptr;
    QCheckBox* dose_ = nullptr;
    QCheckBox* none_ = nullptr;
    QCheckBox* alpha_ = nullptr;
    QCheckBox* beta_ = nullptr;
    QCheckBox* gamma_ = nullptr;
    TFadingList* faded_ = nullptr;
    TFadingList* fresh_ = nullptr;
    QLabel* message_ = nullptr;
    QDoubleSpinBox* delay_ = nullptr;
    QDoubleSpinBox* tc_ = nullptr;
    QLabel* gValue_ = nullptr;
};
