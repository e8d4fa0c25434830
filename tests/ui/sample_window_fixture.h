#pragma once
// A main window over the generated sample files: a fresh temporary folder holding the files
// of `orvane-cli make-sample`, the per-user settings redirected into it, scripted prompts.
// Test classes derive from it and call SetUp() in init() and TearDown() in cleanup().
#include <QDir>
#include <QFile>
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
    // Runs orvane-cli with the arguments; false unless it exits with 0.
    static bool RunCli(const QStringList& args, QByteArray* out = nullptr) {
        QProcess cli;
        cli.start(QStringLiteral(ORVANE_CLI_PATH), args);
        if (!cli.waitForFinished(60000)) return false;
        if (out) *out = cli.readAllStandardOutput();
        return cli.exitStatus() == QProcess::NormalExit && cli.exitCode() == 0;
    }
    // A copy of the sample files in the subfolder `name`; its path.
    QString CopySample(const QString& name) const {
        const QString to = dir_ + QLatin1Char('/') + name;
        QDir().mkpath(to);
        for (const QString& file : QDir(dir_).entryList(QDir::Files))
            QFile::copy(dir_ + QLatin1Char('/') + file, to + QLatin1Char('/') + file);
        return to;
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
