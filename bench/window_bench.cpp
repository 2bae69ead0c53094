// The window's main job on mail-like text: paste, select all, encrypt, read
// the result, with the real widgets on the offscreen platform.
#include "app/form1.h"
#include "app/lossless_text_box.h"
#include "app/password_box.h"
#include "app/recording_runtime_services.h"
#include "bench/mail_text.h"
#include "bench/offscreen_benchmark_main.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

void MainJob(benchmark::State& state) {
    const auto length = static_cast<std::size_t>(state.range(0));
    const QString mail = QString::fromStdU16String(velmora::bench::mailText(length));
    RecordingRuntimeServices runtime;
    Form1 form(runtime);
    form.show();
    QApplication::processEvents();
    form.Text1->setText(QStringLiteral("Hemligt7"));

    for (auto _ : state) {
        runtime.setClipboardText(mail);
        form.mnuPaste_Click();
        form.SSCommand4_Click();
        form.cmdKryDekry_Click();
        const QString result = form.txtClip->text();
        if (result.size() != mail.size()) state.SkipWithError("the result has the wrong length");
        benchmark::DoNotOptimize(result.data());
        // Let the text box lay out the new text, as it would on screen.
        QApplication::processEvents();
    }
    state.counters["chars/s"] = benchmark::Counter(
        static_cast<double>(length) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(MainJob)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

int main(int argc, char** argv) { return runOffscreenBenchmarks(argc, argv); }
