// The test backend's clipboard, dialogs and sound: in memory, scripted and recorded.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/Clipboard.h"
#include "platform/Dialogs.h"
#include "platform/Sound.h"

namespace platform::headless {

class THeadlessClipboard : public Clipboard {
 public:
  void SetText(const std::string& utf8) override {
    FText = utf8;
    FFiles.reset();
  }
  std::string GetText() override { return FText; }
  void SetFiles(const TClipFiles& files) override;
  bool GetFiles(TClipFiles& files) override;

 private:
  std::string FText;
  std::optional<TClipFiles> FFiles;
};

// Answers come from queues the test fills; an empty queue answers "cancel". Every call is
// recorded as "Kind: title".
class THeadlessDialogs : public Dialogs {
 public:
  std::deque<std::optional<std::string>> PathAnswers;
  std::deque<TMsgResult> MessageAnswers;
  std::vector<std::string> Calls;

  std::optional<std::string> ChooseFolder(const std::string& title, const std::string& start) override;
  std::optional<std::string> OpenFile(const std::string& title, const std::vector<TFileFilter>& filters,
                                      const std::string& start) override;
  std::optional<std::string> OpenPicture(const std::string& title, const std::string& start) override;
  TMsgResult MessageBox(const std::string& text, const std::string& caption, TMsgButtons buttons,
                        TMsgKind kind) override;

 private:
  std::optional<std::string> NextPath(const std::string& call);
};

class THeadlessSound : public Sound {
 public:
  std::vector<std::string> Played;
  void PlayAsync(const std::string& wavFile) override { Played.push_back(wavFile); }
};

}  // namespace platform::headless
