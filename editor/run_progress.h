#pragma once
// Progress of a tool run over many records: a window-modal progress dialog that appears when
// the run takes a while; Cancel stops the run after the record in hand.
#include <QApplication>
#include <QProgressDialog>

#include "tools/background_subtraction.h"

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
