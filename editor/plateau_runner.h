#pragma once
// Runs a plateau test (TPlateauRun) in slices on the GUI thread: each slice computes steps for
// at most ~40 ms and returns to the event loop, so the window keeps painting and answering.
// While it runs, the status bar shows a progress bar and a "Cancel" button; Esc cancels too.
// A cancelled run keeps the solutions computed so far.
#include <QObject>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <functional>
#include <memory>

#include "analysis/plateau_test.h"

class QMainWindow;
class QShortcut;

class TPlateauRunner : public QObject {
    Q_OBJECT

public:
    explicit TPlateauRunner(QWidget* window);
    ~TPlateauRunner() override;

    // `step` after every step, `finished` once when the run is over or cancelled (Running()
    // is false by then).
    void Start(std::unique_ptr<TPlateauRun> run, std::function<void(TPlateauRun&)> step,
               std::function<void(TPlateauRun&)> finished);
    bool Running() const { return run_ != nullptr; }
    // Stops after the step in hand; `finished` follows at once.
    void Cancel();
    // How long a slice computes before it returns to the event loop (at least one step).
    void SetSliceMilliseconds(int milliseconds) { slice_ = milliseconds; }
    QPushButton* CancelButton() const { return cancel_; }
    QProgressBar* ProgressBar() const { return bar_; }

private:
    void Slice();
    void Finish();

    QPointer<QProgressBar> bar_;
    QPointer<QPushButton> cancel_;
    QShortcut* escape_ = nullptr;
    std::unique_ptr<TPlateauRun> run_;
    std::function<void(TPlateauRun&)> step_;
    std::function<void(TPlateauRun&)> finished_;
    int slice_ = 40;
};
