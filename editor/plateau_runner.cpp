#include "editor/plateau_runner.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>

TPlateauRunner::TPlateauRunner(QWidget* window) : QObject(window) {
    auto* main = qobject_cast<QMainWindow*>(window);
    bar_ = new QProgressBar;
    bar_->setObjectName(QStringLiteral("PlateauProgress"));
    bar_->setMaximumWidth(200);
    bar_->setTextVisible(true);
    cancel_ = new QPushButton(QStringLiteral("Cancel"));
    cancel_->setObjectName(QStringLiteral("PlateauCancel"));
    cancel_->setToolTip(QStringLiteral("Stop the computation (Esc)"));
    if (main) {
        main->statusBar()->addPermanentWidget(bar_);
        main->statusBar()->addPermanentWidget(cancel_);
    }
    bar_->hide();
    cancel_->hide();
    connect(cancel_, &QPushButton::clicked, this, &TPlateauRunner::Cancel);
    if (window) {
        escape_ = new QShortcut(QKeySequence(Qt::Key_Escape), window);
        escape_->setContext(Qt::WindowShortcut);
        escape_->setEnabled(false);
        connect(escape_, &QShortcut::activated, this, &TPlateauRunner::Cancel);
    }
}

TPlateauRunner::~TPlateauRunner() {
    // The status bar owns the widgets; a run still going ends without its report.
    run_.reset();
    delete bar_.data();
    delete cancel_.data();
}

void TPlateauRunner::Start(std::unique_ptr<TPlateauRun> run, std::function<void(TPlateauRun&)> step,
                           std::function<void(TPlateauRun&)> finished) {
    if (run_ || !run) return;
    run_ = std::move(run);
    step_ = std::move(step);
    finished_ = std::move(finished);
    bar_->setRange(0, std::max(run_->StepsTotal(), 1));
    bar_->setValue(0);
    bar_->show();
    cancel_->show();
    if (escape_) escape_->setEnabled(true);
    if (run_->Done()) {
        Finish();
        return;
    }
    QTimer::singleShot(0, this, &TPlateauRunner::Slice);
}

void TPlateauRunner::Slice() {
    if (!run_) return;
    QElapsedTimer clock;
    clock.start();
    do {
        if (run_->Step() && step_) step_(*run_);
        if (!run_) return;  // the step's report ended the run
    } while (!run_->Done() && clock.elapsed() < slice_);
    bar_->setMaximum(std::max(run_->StepsTotal(), run_->StepsDone()));
    bar_->setValue(run_->StepsDone());
    if (run_->Done()) {
        Finish();
        return;
    }
    QTimer::singleShot(0, this, &TPlateauRunner::Slice);
}

void TPlateauRunner::Cancel() {
    if (!run_) return;
    run_->Cancel();
    Finish();
}

void TPlateauRunner::Finish() {
    std::unique_ptr<TPlateauRun> run = std::move(run_);
    bar_->hide();
    cancel_->hide();
    if (escape_) escape_->setEnabled(false);
    auto finished = std::move(finished_);
    step_ = nullptr;
    finished_ = nullptr;
    if (finished && run) finished(*run);
}
