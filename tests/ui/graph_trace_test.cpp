// The trace of the graph messages reaches the logging category "orvane.graph".
#include <QLoggingCategory>
#include <QTest>

#include "analysis/graph_messages.h"
#include "graph/graph_trace.h"

namespace {

QStringList g_lines;
QString g_category;

void Capture(QtMsgType, const QMessageLogContext& context, const QString& text) {
    g_category = QString::fromUtf8(context.category);
    g_lines << text;
}

class TSilentReceiver : public TGraphReceiver {
public:
    void HandleGraphMessage(TGraphMessage&) override {}
};

}  // namespace

class GraphTraceTest : public QObject {
    Q_OBJECT
private slots:
    void linesGoToTheGraphCategory() {
        QLoggingCategory::setFilterRules(QStringLiteral("orvane.graph.debug=true"));
        TGraphDispatcher dispatcher;
        TSilentReceiver viewer;
        dispatcher.Register(kPointViewer, &viewer);
        InstallGraphTrace(dispatcher);
        const QtMessageHandler previous = qInstallMessageHandler(Capture);
        dispatcher.SendText(kPointViewer, gd_Title, "Orvane - View results");
        dispatcher.SendDraw(kPointViewer, kMaskIndexPointsFit);
        qInstallMessageHandler(previous);
        QCOMPARE(g_category, QStringLiteral("orvane.graph"));
        QCOMPARE(g_lines.size(), 2);
        QCOMPARE(g_lines[0],
                 QStringLiteral("WM_GraphicData to PointViewer: Title = Orvane - View results."));
        QVERIFY(g_lines[1].endsWith(QStringLiteral(" [gd_Index,gd_Points,gd_Fit].")));

        // Off by the rules: nothing is written.
        g_lines.clear();
        QLoggingCategory::setFilterRules(QStringLiteral("orvane.graph.debug=false"));
        qInstallMessageHandler(Capture);
        dispatcher.SendValue(kPointViewer, gd_Plot, plResults);
        qInstallMessageHandler(previous);
        QVERIFY(g_lines.isEmpty());
    }
};

QTEST_GUILESS_MAIN(GraphTraceTest)
#include "graph_trace_test.moc"
