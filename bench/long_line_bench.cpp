// The window's main job on one long line of letters with no blank and no line
// break (a pasted key, link or attachment text): paste, select all, encrypt,
// with the real widgets on the offscreen platform. The text box must lay the
// line out in time linear in its length.
#include "app/form1.h"
#include "app/lossless_text_box.h"
#include "app/password_box.h"
#include "app/recording_runtime_services.h"
#include "bench/offscreen_benchmark_main.h"

#include <QApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <random>

namespace {

QString unbrokenLetters(qsizetype length) {
    std::mt19937 rng(1);
    std::uniform_int_distribution<int> letter(0, 25);
    QString text(length, Qt::Uninitialized);
    for (QChar& c : text) c = QChar(u'a' + letter(rng));
    return text;
}

void PasteSelectAllEncrypt(benchmark::State& state) {
    const QString line = unbrokenLetters(state.range(0));
    RecordingRuntimeServices runtime;
    Form1 form(runtime);
    form.show();
    QApplication::processEvents();
    form.Text1->setText(QStringLiteral("Hemligt7"));

    // Each step is followed by the events a user would see handled (layout
    // and painting) before the next one.
    double pasteMs = 0, selectMs = 0, encryptMs = 0;
    const auto timed = [](double& total, const auto& step) {
        QElapsedTimer timer;
        timer.start();
        step();
        QApplication::processEvents();
        total += static_cast<double>(timer.nsecsElapsed()) / 1e6;
    };
    for (auto _ : state) {
        runtime.setClipboardText(line);
        timed(pasteMs, [&] { form.mnuPaste_Click(); });
        timed(selectMs, [&] { form.SSCommand4_Click(); });
        timed(encryptMs, [&] { form.cmdKryDekry_Click(); });
        if (form.txtClip->text().size() != line.size()) state.SkipWithError("the result has the wrong length");
    }
    state.counters["paste_ms"] = benchmark::Counter(pasteMs, benchmark::Counter::kAvgIterations);
    state.counters["select_ms"] = benchmark::Counter(selectMs, benchmark::Counter::kAvgIterations);
    state.counters["encrypt_ms"] = benchmark::Counter(encryptMs, benchmark::Counter::kAvgIterations);
}

}  // namespace

BENCHMARK(PasteSelectAllEncrypt)
    ->RangeMultiplier(2)
    ->Range(64 << 10, 4 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(1.0);

int main(int argc, char** argv) { return runOffscreenBenchmarks(argc, argv); }
