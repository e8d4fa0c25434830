#pragma once
// The main of a benchmark program that needs widgets: an application on the offscreen
// platform, then the registered benchmarks.
#include <benchmark/benchmark.h>

#include <QApplication>

inline int RunUiBenchmarks(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
