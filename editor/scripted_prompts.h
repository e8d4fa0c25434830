#pragma once
// Prompts answered from a script instead of a person: for tests and unattended runs. Every
// question and message is recorded.
#include <QStringList>
#include <deque>

#include "editor/user_prompts.h"

class TScriptedPrompts : public TUserPrompts {
public:
    struct TFileDialog {
        QString title, directory, filter, defaultSuffix;
        bool append = false;  // asked by AppendFileName: no overwrite question
    };

    std::deque<TAnswer> saveAnswers;  // empty: Cancel
    std::deque<QString> openNames;    // empty: the dialog is cancelled
    std::deque<QString> saveNames;
    std::deque<bool> confirmAnswers;  // empty: No
    std::deque<QString> textAnswers;  // empty: Cancel
    QStringList textQuestions;        // the labels AskText showed
    int saveQuestions = 0;
    QStringList questions;  // the questions Confirm was asked
    QStringList errors;
    QStringList warnings;
    QList<TFileDialog> dialogs;

    TAnswer AskSaveChanges(QWidget*) override {
        ++saveQuestions;
        if (saveAnswers.empty()) return TAnswer::Cancel;
        const TAnswer a = saveAnswers.front();
        saveAnswers.pop_front();
        return a;
    }
    void ShowError(QWidget*, const QString& message) override { errors << message; }
    void ShowWarning(QWidget*, const QString& message) override { warnings << message; }
    QString OpenFileName(QWidget*, const QString& title, const QString& directory,
                         const QString& filter) override {
        dialogs.append({title, directory, filter, QString()});
        return Next(openNames);
    }
    QString SaveFileName(QWidget*, const QString& title, const QString& proposed,
                         const QString& filter, const QString& defaultSuffix) override {
        dialogs.append({title, proposed, filter, defaultSuffix});
        return Next(saveNames);
    }
    // Answered from `saveNames` like SaveFileName.
    QString AppendFileName(QWidget*, const QString& title, const QString& proposed,
                           const QString& filter, const QString& defaultSuffix) override {
        dialogs.append({title, proposed, filter, defaultSuffix, true});
        return Next(saveNames);
    }
    bool Confirm(QWidget*, const QString&, const QString& question) override {
        questions << question;
        if (confirmAnswers.empty()) return false;
        const bool yes = confirmAnswers.front();
        confirmAnswers.pop_front();
        return yes;
    }

    std::optional<QString> AskText(QWidget*, const QString&, const QString& label,
                                   const QString&) override {
        textQuestions << label;
        if (textAnswers.empty()) return std::nullopt;
        QString text = textAnswers.front();
        textAnswers.pop_front();
        return text;
    }

private:
    static QString Next(std::deque<QString>& names) {
        if (names.empty()) return {};
        QString n = names.front();
        names.pop_front();
        return n;
    }
};
