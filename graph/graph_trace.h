#pragma once
// The diagnostic trace of the graph messages: one line per message the main window sends to
// a graph window (and per WM_UpdatedData with a mask), written to the logging category
// "orvane.graph" (debug level; enable with QT_LOGGING_RULES="orvane.graph.debug=true").
#include <QLoggingCategory>

class TGraphDispatcher;

Q_DECLARE_LOGGING_CATEGORY(lcGraph)

// Makes the dispatcher write its trace lines to lcGraph.
void InstallGraphTrace(TGraphDispatcher& dispatcher);
