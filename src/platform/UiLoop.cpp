#include "platform/UiLoop.h"

#include "platform/ServiceSlot.h"
#include "platform/ThreadCheck.h"

namespace platform {

namespace {
TServiceSlot<UiLoop> gLoop;
}

void SetUiLoop(UiLoop* loop) { gLoop.Set(loop); }
UiLoop& TheUiLoop() { return gLoop.Get(); }
bool HasUiLoop() { return gLoop.Installed(); }

Timer::Timer(int intervalMs, bool repeat, std::function<void()> fn)
    : FHandler(std::move(fn)), FInterval(intervalMs), FRepeat(repeat) {}

void Timer::SetInterval(int intervalMs) {
  if (intervalMs == FInterval) return;
  FInterval = intervalMs;
  if (Enabled()) {
    SetEnabled(false);
    SetEnabled(true);
  }
}

void Timer::SetEnabled(bool enabled) {
  if (enabled == Enabled()) return;
  NV_ASSERT_UI_THREAD();
  if (enabled) {
    FId = TheUiLoop().StartTimer(FInterval < 1 ? 1 : FInterval, FRepeat, [this] { Fire(); });
  } else {
    TheUiLoop().StopTimer(FId);
    FId = 0;
  }
}

void Timer::Fire() {
  if (!FRepeat) FId = 0;  // a one-shot timer is finished once it fires
  if (FHandler) FHandler();
}

}  // namespace platform
