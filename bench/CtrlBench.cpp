// The control framework at scale: painting 2,000 skinned controls into a full-HD canvas against
// memcpy of the frame, a hit test over 10,000 children, and a broadcast over 10,000 controls.
#include <cstring>
#include <string>

#include "BenchRatio.h"
#include "ctrl/NV_CtrlManager.h"
#include "ctrl/NV_CtrlParams.h"
#include "ctrl/NV_SkinBuffer.h"
#include "ctrl/NV_SmartCtrl.h"
#include "gfx/Draw.h"
#include "platform/headless/HeadlessBackend.h"

namespace {

using ctrl::TSmartCtrl;

class TTile : public TSmartCtrl {
  NV_CTRL_CLASS(TTile, TSmartCtrl)

 public:
  TTile(int x, int y, int w, int h, ctrl::TSkinBuffer* skin) {
    SC_POS = {x, y};
    SC_WIDTH = w;
    SC_HEIGHT = h;
    Parts().SC_SKIN = skin;
  }
  int Heard = 0;
  void On_Notify(const ctrl::TEventObject& event) override {
    ++Heard;
    TSmartCtrl::On_Notify(event);
  }
};

// A nine-sliced, translucent tile background like the theme's.
ctrl::TSkinBuffer& Skin() {
  static ctrl::TSkinBuffer skin;
  static bool loaded = false;
  if (!loaded) {
    gfx::TBitmap32 picture(24, 24);
    picture.Clear(gfx::Color32(47, 111, 222, 60));
    gfx::FrameRect(picture, picture.BoundsRect(), gfx::Color32(36, 89, 184, 200));
    config::TResizeParams params;
    params.ResizeType = config::TResizeMode::rmFull;
    params.MarginLeft = params.MarginTop = params.MarginRight = params.MarginBottom = 8;
    skin.LoadImage("ControlBack", picture, params);
    loaded = true;
  }
  return skin;
}

struct TScene {
  platform::headless::THeadlessBackend Backend;
  ctrl::TCtrlManager Manager;
  TSmartCtrl* Host = nullptr;

  explicit TScene(int count, int tileW, int tileH, int columns) {
    Host = Manager.AddControl("Host", TSmartCtrl::Create<TTile>(0, 0, 1920, 1080, nullptr));
    for (int i = 0; i < count; ++i) {
      auto* tile = Host->AddItem(TSmartCtrl::Create<TTile>(0, 0, tileW - 2, tileH - 2, &Skin()));
      tile->SetPosition({(i % columns) * tileW, (i / columns) * tileH});
    }
    Host->SetPosition({0, 0});
  }
};

int Count(int full, int smoke) { return bench::Smoke() ? smoke : full; }

void BM_Paint2000Controls(benchmark::State& state) {
  TScene scene(Count(2000, 20), 48, 27, 40);  // 40 x 50 tiles cover the frame
  gfx::TBitmap32 canvas(1920, 1080);
  for (auto _ : state) {
    canvas.Clear(gfx::clWhite32);
    scene.Manager.PaintControls(canvas);
    benchmark::DoNotOptimize(canvas.Bits());
  }
  if (canvas.Pixel(30, 15) == gfx::clWhite32) state.SkipWithError("the tiles did not paint");
}
BENCHMARK(BM_Paint2000Controls)->Unit(benchmark::kMicrosecond);

void BM_FrameMemcpy(benchmark::State& state) {
  gfx::TBitmap32 src(1920, 1080), dst(1920, 1080);
  for (auto _ : state) {
    std::memcpy(dst.Bits(), src.Bits(), size_t(src.Width()) * src.Height() * 4);
    benchmark::DoNotOptimize(dst.Bits());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FrameMemcpy)->Unit(benchmark::kMicrosecond);

void BM_HitTest10000Children(benchmark::State& state) {
  TScene scene(Count(10000, 100), 19, 10, 100);
  int i = 0;
  for (auto _ : state) {
    const int x = (i * 37) % 1900, y = (i * 53) % 1000;
    benchmark::DoNotOptimize(scene.Host->ItemAtXY(*scene.Host->Parts().SC_LIST[0], x, y));
    ++i;
  }
}
BENCHMARK(BM_HitTest10000Children)->Unit(benchmark::kMicrosecond);

void BM_Notify10000Controls(benchmark::State& state) {
  TScene scene(Count(10000, 100), 19, 10, 100);
  for (auto _ : state) scene.Manager.Notify("FolderChanged");
  auto* first = static_cast<TTile*>(scene.Host->Parts().SC_LIST[0]->Control(0));
  if (first->Heard == 0) state.SkipWithError("the broadcast did not reach the children");
}
BENCHMARK(BM_Notify10000Controls)->Unit(benchmark::kMicrosecond);

// Saving 10,000 control parameters against appending the same pieces to one string: the text
// is built in one pass, so the cost stays linear.
ctrl::TCtrlParams& ManyParams() {
  static ctrl::TCtrlParams params;
  static bool made = false;
  if (!made) {
    for (int i = 0; i < Count(10000, 100); ++i)
      params.SetParam("Param" + std::to_string(i), std::string_view("Name(Calibri), Size(11)"), true);
    made = true;
  }
  return params;
}

void BM_ToText10000Params(benchmark::State& state) {
  const ctrl::TCtrlParams& params = ManyParams();
  for (auto _ : state) benchmark::DoNotOptimize(params.ToText());
}
BENCHMARK(BM_ToText10000Params)->Unit(benchmark::kMicrosecond);

void BM_Append10000Pieces(benchmark::State& state) {
  const ctrl::TCtrlParams& params = ManyParams();
  for (auto _ : state) {
    std::string text;
    for (const auto& param : params.List()) {
      text += ", ";
      text += param->pvID;
      text += '(';
      text += param->pvStringDef;
      text += ')';
    }
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK(BM_Append10000Pieces)->Unit(benchmark::kMicrosecond);

}  // namespace

NORVO_BENCH_RATIO(BM_Paint2000Controls, BM_FrameMemcpy, 0);
NORVO_BENCH_RATIO(BM_ToText10000Params, BM_Append10000Pieces, 4);
NORVO_BENCH_MAIN()
