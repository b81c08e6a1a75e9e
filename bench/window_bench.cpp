// One press of «Изчисли» in the real window, from the mouse click to the window repainted
// with the four results. Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <benchmark/benchmark.h>

#include "form/calculator_form.h"
#include "qt/pelmora_window.h"

namespace {

void BM_CalculateClickToRepaint(benchmark::State& state) {
    pelmora::form::CalculatorForm form([] { return pelmora::number::NumberFormat{}; });
    pelmora::qt::PelmoraWindow window(form, {});
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) state.SkipWithError("window not exposed");
    auto* calculate = window.findChild<QPushButton*>(QStringLiteral("Command1_0"));
    auto* radius = window.findChild<QLineEdit*>(QStringLiteral("Text2_0"));
    auto* slant = window.findChild<QLineEdit*>(QStringLiteral("Text2_1"));
    for (auto _ : state) {
        state.PauseTiming();
        // Fresh user text each time, so every click writes four new texts.
        form.TypeText(0, "3");
        form.TypeText(1, "5");
        radius->setText(QStringLiteral("3"));
        slant->setText(QStringLiteral("5"));
        window.repaint();
        state.ResumeTiming();
        QTest::mouseClick(calculate, Qt::LeftButton);
        window.repaint();  // paints synchronously
    }
    if (radius->text() != QStringLiteral("3.000")) state.SkipWithError("no result shown");
}
BENCHMARK(BM_CalculateClickToRepaint)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
