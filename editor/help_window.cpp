#include "editor/help_window.h"

#include <QTextBrowser>
#include <QVBoxLayout>

// The help pages are compiled into the editor's static library; a static library's
// resources are registered by hand.
static void InitHelpResources() {
    Q_INIT_RESOURCE(editor);
}

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    InitHelpResources();
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Orvane Editor help"));
    browser_ = new QTextBrowser(this);
    browser_->setOpenLinks(true);
    browser_->setSearchPaths({QStringLiteral(":/help")});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(640, 520);
}

QUrl THelpWindow::TopicUrl(const QString& topic) {
    if (topic == QLatin1String("HelpContents"))
        return QUrl(QStringLiteral("qrc:/help/contents.html"));
    if (topic == QLatin1String("About")) return QUrl(QStringLiteral("qrc:/help/about.html"));
    if (topic == QLatin1String("HelpIndex")) return QUrl(QStringLiteral("qrc:/help/index.html"));
    return {};
}

QUrl THelpWindow::ContextUrl(int context) {
    // Each command group has one section, named after its first context number.
    struct Range {
        int from, to;
        const char* anchor;
    };
    static const Range ranges[] = {
        {101, 101, "ctx101"}, {102, 102, "ctx102"}, {103, 103, "ctx103"}, {104, 104, "ctx104"},
        {111, 111, "ctx111"}, {112, 112, "ctx112"}, {119, 119, "ctx119"}, {120, 128, "ctx120"},
        {141, 144, "ctx141"}, {150, 163, "ctx150"}, {170, 173, "ctx170"}, {181, 182, "ctx181"},
        {191, 194, "ctx191"}, {201, 206, "ctx201"},
    };
    // Commands with a page of their own.
    const std::pair<int, const char*> pages[] = {
        {144, "qrc:/help/graph.html"},    {150, "qrc:/help/subtract.html"},
        {152, "qrc:/help/deglitch.html"}, {153, "qrc:/help/ascii.html"},
        {171, "qrc:/help/fading.html"},   {172, "qrc:/help/growth.html"},
        {173, "qrc:/help/growth.html"},   {201, "qrc:/help/growth.html"},
        {203, "qrc:/help/growth.html"},   {204, "qrc:/help/growth.html"},
        {205, "qrc:/help/growth.html"},   {206, "qrc:/help/growth.html"},
        {181, "qrc:/help/age.html"},      {182, "qrc:/help/age.html"},
        {155, "qrc:/help/import.html"},   {183, "qrc:/help/dose_models.html"}};
    for (const auto& [id, page] : pages) {
        if (context == id) {
            QUrl url{QLatin1String(page)};
            url.setFragment(QStringLiteral("ctx%1").arg(context));
            return url;
        }
    }
    for (const Range& r : ranges) {
        if (context >= r.from && context <= r.to) {
            QUrl url(QStringLiteral("qrc:/help/contents.html"));
            url.setFragment(QLatin1String(r.anchor));
            return url;
        }
    }
    return {};
}

void THelpWindow::Show(const QUrl& url) {
    browser_->setSource(url);
    if (!url.fragment().isEmpty()) browser_->scrollToAnchor(url.fragment());
    setWindowTitle(browser_->documentTitle().isEmpty() ? QStringLiteral("Orvane Editor help")
                                                       : browser_->documentTitle());
    show();
    raise();
}

bool THelpWindow::ShowTopic(const QString& topic) {
    const QUrl url = TopicUrl(topic);
    if (url.isEmpty()) return false;
    Show(url);
    return true;
}

bool THelpWindow::ShowContext(int context) {
    const QUrl url = ContextUrl(context);
    if (url.isEmpty()) return false;
    Show(url);
    return true;
}

QUrl THelpWindow::CurrentUrl() const {
    return browser_->source();
}

QString THelpWindow::CurrentTitle() const {
    return browser_->documentTitle();
}
