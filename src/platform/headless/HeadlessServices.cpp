#include "platform/headless/HeadlessServices.h"

namespace platform::headless {

void THeadlessClipboard::SetFiles(const TClipFiles& files) {
  FFiles = files;
  // Like the real clipboard, a file list also reads as text: one path a line.
  FText.clear();
  for (const std::string& path : files.Paths) FText += (FText.empty() ? "" : "\n") + path;
}

bool THeadlessClipboard::GetFiles(TClipFiles& files) {
  if (!FFiles || FFiles->Paths.empty()) return false;
  files = *FFiles;
  return true;
}

std::optional<std::string> THeadlessDialogs::NextPath(const std::string& call) {
  Calls.push_back(call);
  if (PathAnswers.empty()) return std::nullopt;
  std::optional<std::string> answer = PathAnswers.front();
  PathAnswers.pop_front();
  return answer;
}

std::optional<std::string> THeadlessDialogs::ChooseFolder(const std::string& title, const std::string&) {
  return NextPath("ChooseFolder: " + title);
}

std::optional<std::string> THeadlessDialogs::OpenFile(const std::string& title, const std::vector<TFileFilter>&,
                                                      const std::string&) {
  return NextPath("OpenFile: " + title);
}

std::optional<std::string> THeadlessDialogs::OpenPicture(const std::string& title, const std::string&) {
  return NextPath("OpenPicture: " + title);
}

TMsgResult THeadlessDialogs::MessageBox(const std::string& text, const std::string&, TMsgButtons buttons,
                                        TMsgKind) {
  Calls.push_back("MessageBox: " + text);
  if (!MessageAnswers.empty()) {
    const TMsgResult answer = MessageAnswers.front();
    MessageAnswers.pop_front();
    return answer;
  }
  return buttons == TMsgButtons::mbYesNo ? TMsgResult::mrNo : buttons == TMsgButtons::mbOk ? TMsgResult::mrOk
                                                                                          : TMsgResult::mrCancel;
}

}  // namespace platform::headless
