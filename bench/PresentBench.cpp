// Presenting a full-HD canvas in the real window's draw callback against memcpy of the same
// bytes, and the latency from Invalidate() on a worker to the draw callback. Needs a display
// (`make bench` provides a virtual one); without one the program says so and measures nothing.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "BenchRatio.h"
#include "gfx/Draw.h"
#include "platform/gtk/GtkBackend.h"

namespace {

using Clock = std::chrono::steady_clock;

int FrameWidth() { return bench::Smoke() ? 64 : 1920; }
int FrameHeight() { return bench::Smoke() ? 36 : 1080; }

struct TTimedSink : platform::WindowEvents {
  gfx::TBitmap32 Canvas;
  double LastPresentSeconds = 0;
  Clock::time_point LastPaint;
  int Paints = 0;

  void OnPaint(platform::Window& w) override {
    const auto start = Clock::now();
    w.Present(Canvas);
    LastPaint = Clock::now();
    LastPresentSeconds = std::chrono::duration<double>(LastPaint - start).count();
    ++Paints;
  }
};

struct TSession {
  std::unique_ptr<platform::gtk::TGtkBackend> Backend = platform::gtk::TGtkBackend::Init();
  TTimedSink Sink;
  std::unique_ptr<platform::gtk::TGtkWindow> Win;

  TSession() {
    if (!Backend) return;
    Sink.Canvas.SetSize(FrameWidth(), FrameHeight());
    Sink.Canvas.Clear(gfx::Color32(40, 90, 160));
    Win = Backend->CreateMainWindow(Sink, FrameWidth(), FrameHeight());
    Win->SetTitle("Norvo present benchmark");
    Win->Show();
    PumpUntil([&] { return Sink.Paints > 0; });
  }

  void PumpUntil(const std::function<bool()>& done) {
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (!done() && Clock::now() < deadline) Backend->Loop.Iterate(true);
  }
};

TSession& Session() {
  static TSession session;
  return session;
}

void BM_Present(benchmark::State& state) {
  TSession& s = Session();
  if (!s.Win) return state.SkipWithError("no display");
  for (auto _ : state) {
    s.Win->RedrawSync(nullptr);  // paints now, on this (the interface) thread
    state.SetIterationTime(s.Sink.LastPresentSeconds);
  }
}
BENCHMARK(BM_Present)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_Memcpy(benchmark::State& state) {
  gfx::TBitmap32 src(FrameWidth(), FrameHeight()), dst(FrameWidth(), FrameHeight());
  for (auto _ : state) {
    std::memcpy(dst.Bits(), src.Bits(), size_t(src.Width()) * src.Height() * 4);
    benchmark::DoNotOptimize(dst.Bits());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMicrosecond);

// From a worker's Invalidate to the start of the draw callback's Present, the interface thread
// idle in its loop meanwhile.
void BM_InvalidateLatency(benchmark::State& state) {
  TSession& s = Session();
  if (!s.Win) return state.SkipWithError("no display");
  for (auto _ : state) {
    const int before = s.Sink.Paints;
    Clock::time_point asked;
    std::thread worker([&] {
      asked = Clock::now();
      s.Win->Invalidate();
    });
    s.PumpUntil([&] { return s.Sink.Paints > before; });
    worker.join();
    state.SetIterationTime(std::chrono::duration<double>(s.Sink.LastPaint - asked).count() -
                           s.Sink.LastPresentSeconds);
  }
}
BENCHMARK(BM_InvalidateLatency)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

NORVO_BENCH_RATIO(BM_Present, BM_Memcpy, 0);
NORVO_BENCH_MAIN()
