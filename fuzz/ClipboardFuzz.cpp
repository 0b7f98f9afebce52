// Arbitrary text as a clipboard file list, in both forms, and arbitrary bytes as the paths of one.
// What parses is a list of absolute paths, and is non-empty exactly when the parser says so; a
// list written in either form parses back to the same list (and the operation with it).
#include "FuzzText.h"
#include "platform/gtk/GtkClipboard.h"

namespace {

using platform::TClipFiles;
using platform::TFileClipOp;

bool Same(const TClipFiles& a, const TClipFiles& b) { return a.Paths == b.Paths && a.Op == b.Op; }

void CheckWrittenBack(const TClipFiles& files) {
  TClipFiles back;
  if (!platform::gtk::ParseClipFiles(platform::gtk::CopiedFilesText(files), true, back) ||
      !Same(back, files))
    fuzz::Broken();
  if (!platform::gtk::ParseClipFiles(platform::gtk::UriListText(files), false, back) ||
      back.Paths != files.Paths || back.Op != TFileClipOp::fcCopy)
    fuzz::Broken();
}

void CheckParsed(const std::string& text, bool withOperation) {
  TClipFiles files;
  const bool any = platform::gtk::ParseClipFiles(text, withOperation, files);
  if (any == files.Paths.empty()) fuzz::Broken();
  if (!withOperation && files.Op != TFileClipOp::fcCopy) fuzz::Broken();
  for (const std::string& path : files.Paths)
    if (path.empty() || path[0] != '/' || path.find('\0') != std::string::npos) fuzz::Broken();
  if (any) CheckWrittenBack(files);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(fuzz::AsText(data, size));
  CheckParsed(text, true);
  CheckParsed(text, false);

  // The NUL-separated pieces of the input, each made absolute, as a list to be cut or copied.
  TClipFiles files;
  files.Op = size % 2 ? TFileClipOp::fcCut : TFileClipOp::fcCopy;
  for (size_t start = 0; start <= text.size() && files.Paths.size() < 64;) {
    const size_t end = std::min(text.find('\0', start), text.size());
    files.Paths.push_back("/" + text.substr(start, end - start));
    start = end + 1;
  }
  CheckWrittenBack(files);
  return 0;
}
