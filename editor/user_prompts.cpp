#include "editor/user_prompts.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QStringList>

namespace {

// Dialog filters are written as "Text|patterns|Text|patterns"; Qt takes "Text (patterns)"
// entries separated by ";;" with blanks between patterns.
QString QtFilter(const QString& pipes) {
    const QStringList parts = pipes.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString text = parts[i];
        const int paren = text.indexOf(QLatin1Char('('));
        if (paren >= 0) text = text.left(paren).trimmed();
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (patterns == QLatin1String("*.*")) patterns = QStringLiteral("*");
        out << QStringLiteral("%1 (%2)").arg(text, patterns);
    }
    return out.join(QStringLiteral(";;"));
}

}  // namespace

TUserPrompts::TAnswer TDialogPrompts::AskSaveChanges(QWidget* parent) {
    const auto button = QMessageBox::warning(
        parent, QStringLiteral("Data have been changed!"), QStringLiteral("Save changed data?"),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (button == QMessageBox::Yes) return TAnswer::Yes;
    if (button == QMessageBox::No) return TAnswer::No;
    return TAnswer::Cancel;
}

void TDialogPrompts::ShowError(QWidget* parent, const QString& message) {
    QMessageBox::critical(parent, QStringLiteral("Orvane Editor"), message);
}

void TDialogPrompts::ShowWarning(QWidget* parent, const QString& message) {
    QMessageBox::warning(parent, QStringLiteral("Warning!"), message);
}

QString TDialogPrompts::OpenFileName(QWidget* parent, const QString& title,
                                     const QString& directory, const QString& filter) {
    return QFileDialog::getOpenFileName(parent, title, directory, QtFilter(filter));
}

// A save dialog; `confirmOverwrite` asks before an existing file is taken.
QString TDialogPrompts::AskFileToWrite(QWidget* parent, const QString& title,
                                       const QString& proposed, const QString& filter,
                                       const QString& defaultSuffix, bool confirmOverwrite) {
    QFileDialog dialog(parent, title, proposed, QtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !confirmOverwrite);
    dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

QString TDialogPrompts::SaveFileName(QWidget* parent, const QString& title, const QString& proposed,
                                     const QString& filter, const QString& defaultSuffix) {
    return AskFileToWrite(parent, title, proposed, filter, defaultSuffix, true);
}

QString TDialogPrompts::AppendFileName(QWidget* parent, const QString& title,
                                       const QString& proposed, const QString& filter,
                                       const QString& defaultSuffix) {
    return AskFileToWrite(parent, title, proposed, filter, defaultSuffix, false);
}

std::optional<QString> TDialogPrompts::AskText(QWidget* parent, const QString& title,
                                               const QString& label, const QString& initial) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(parent, title, label, QLineEdit::Normal, initial, &ok);
    if (!ok) return std::nullopt;
    return text;
}

bool TDialogPrompts::Confirm(QWidget* parent, const QString& title, const QString& question) {
    return QMessageBox::question(parent, title, question, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}
