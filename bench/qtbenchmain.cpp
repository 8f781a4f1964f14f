// main() for benchmarks that need a Qt application object (the Qt SQL drivers).
#include <QCoreApplication>

#include <benchmark/benchmark.h>

int main(int argc, char **argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
