#include "platform/headless/HeadlessFileOpUi.h"

#include <algorithm>

namespace platform::headless {

class THeadlessFileOpUi::TView : public TFileOpView {
 public:
  TView(THeadlessFileOpUi& ui, std::function<void()> cancel)
      : FUi(&ui), FCancel(std::move(cancel)) {
    FUi->FOpen.push_back(this);
  }
  ~TView() override {
    if (FUi) std::erase(FUi->FOpen, this);
  }

  void Progress(const TFileOpProgress& progress) override {
    if (FUi) FUi->Progress.push_back(progress);
  }
  TConflictAnswer AskConflict(const TConflict& conflict) override {
    if (!FUi) return {TConflictChoice::ccCancel, false};
    FUi->Conflicts.push_back(conflict);
    if (FUi->ConflictAnswers.empty()) return {TConflictChoice::ccSkip, false};
    const TConflictAnswer answer = FUi->ConflictAnswers.front();
    FUi->ConflictAnswers.pop_front();
    return answer;
  }
  void Finished(const TFileOpReport& report) override {
    if (FUi) FUi->Reports.push_back(report);
  }

  void Cancel() {
    if (FCancel) FCancel();
  }
  void Detach() { FUi = nullptr; }

 private:
  THeadlessFileOpUi* FUi;
  std::function<void()> FCancel;
};

THeadlessFileOpUi::~THeadlessFileOpUi() {
  for (TView* view : FOpen) view->Detach();
}

void THeadlessFileOpUi::CancelAll() {
  const std::vector<TView*> open = FOpen;  // cancelling may close a window
  for (TView* view : open)
    if (std::find(FOpen.begin(), FOpen.end(), view) != FOpen.end()) view->Cancel();
}

std::unique_ptr<TFileOpView> THeadlessFileOpUi::Open(TFileOpKind, size_t,
                                                     std::function<void()> cancel) {
  ++Opened;
  return std::make_unique<TView>(*this, std::move(cancel));
}

}  // namespace platform::headless
