// The system clipboard: UTF-8 text, and lists of files put there for copying or for moving.
// Interface thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace platform {

enum class TFileClipOp { fcCopy, fcCut };

struct TClipFiles {
  std::vector<std::string> Paths;  // absolute paths
  TFileClipOp Op = TFileClipOp::fcCopy;
};

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual void SetText(const std::string& utf8) = 0;
  virtual std::string GetText() = 0;  // empty when the clipboard holds no text
  virtual void SetFiles(const TClipFiles& files) = 0;
  // The files on the clipboard, from any program; false when it holds none.
  virtual bool GetFiles(TClipFiles& files) = 0;
};

void SetClipboard(Clipboard* clipboard);
Clipboard& TheClipboard();

}  // namespace platform
