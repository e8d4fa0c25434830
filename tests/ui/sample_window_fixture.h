#pragma once
// A main window over the generated sample files: a fresh temporary folder holding the files
// of `orvane-cli make-sample`, the per-user settings redirected into it, scripted prompts.
// Test classes derive from it and call SetUp() in init() and TearDown() in cleanup().
#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include "editor/main_window.h"
#include "editor/qt_settings_store.h"
#include "editor/scripted_prompts.h"

class TSampleWindowFixture {
protected:
    QTemporaryDir* tmp_ = nullptr;
    QString dir_;  // the sample files
    TQtSettingsStore* settings_ = nullptr;
    TScriptedPrompts* prompts_ = nullptr;
    TMainWindow* form_ = nullptr;

    // False when the sample files could not be made.
    bool SetUp() {
        tmp_ = new QTemporaryDir;
        if (!tmp_->isValid()) return false;
        dir_ = tmp_->path();
        const QString config = dir_ + QStringLiteral("/config");
        QDir().mkpath(config);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config);
        QProcess cli;
        cli.start(QStringLiteral(ORVANE_CLI_PATH), {QStringLiteral("make-sample"), dir_});
        if (!cli.waitForFinished(30000) || cli.exitCode() != 0) return false;
        settings_ = new TQtSettingsStore;
        prompts_ = new TScriptedPrompts;
        form_ = new TMainWindow(*settings_, prompts_);
        form_->show();
        return true;
    }
    void TearDown() {
        delete form_;
        delete prompts_;
        delete settings_;
        delete tmp_;
        form_ = nullptr;
        prompts_ = nullptr;
        settings_ = nullptr;
        tmp_ = nullptr;
    }
};
