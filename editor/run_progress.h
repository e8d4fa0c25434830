#pragma once
// Runs over many records: their progress, a window-modal dialog that appears when the run
// takes a while (Cancel stops the run after the record in hand), and the record count as the
// undo captions and status lines give it ("1 record", "56 records").
#include <QApplication>
#include <QProgressDialog>
#include <cstddef>

#include "tools/background_subtraction.h"

inline QString RecordsText(std::size_t count) {
    return count == 1 ? QStringLiteral("1 record") : QStringLiteral("%1 records").arg(count);
}

class TRunProgress {
public:
    TRunProgress(QWidget* parent, const QString& label, int total)
        : dialog_(label, QStringLiteral("Cancel"), 0, total, parent) {
        dialog_.setWindowModality(Qt::WindowModal);
        dialog_.setMinimumDuration(400);
    }
    // The callback the tools call after each record; false once Cancel was pressed.
    TToolProgress Callback() {
        return [this](int done, int total) {
            dialog_.setMaximum(total);
            dialog_.setValue(done);
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            return !dialog_.wasCanceled();
        };
    }

private:
    QProgressDialog dialog_;
};
