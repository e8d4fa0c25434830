#include "graph/graph_trace.h"

#include <QString>

#include "analysis/graph_messages.h"

Q_LOGGING_CATEGORY(lcGraph, "orvane.graph")

void InstallGraphTrace(TGraphDispatcher& dispatcher) {
    dispatcher.SetTrace([](const std::string& line) {
        qCDebug(lcGraph).noquote() << QString::fromStdString(line);
    });
}
