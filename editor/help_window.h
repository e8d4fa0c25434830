#pragma once
// The program's help: pages compiled into the program, opened by topic name ("HelpContents",
// "About", "HelpIndex") or by a command's help context number.
#include <QUrl>
#include <QWidget>

class QTextBrowser;

class THelpWindow : public QWidget {
    Q_OBJECT

public:
    explicit THelpWindow(QWidget* parent = nullptr);

    // False (and nothing shown) for an unknown topic.
    bool ShowTopic(const QString& topic);
    bool ShowContext(int context);
    // The page a topic or a context number opens; empty when none.
    static QUrl TopicUrl(const QString& topic);
    static QUrl ContextUrl(int context);
    QUrl CurrentUrl() const;
    QString CurrentTitle() const;

private:
    void Show(const QUrl& url);
    QTextBrowser* browser_ = nullptr;
};
