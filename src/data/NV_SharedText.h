// Shared text: one stored copy of each distinct folder path, extension, group identifier and
// menu key, however many entries carry it. A folder of a million ".jpg" files keeps ".jpg" once.
//
// A shared text is one pointer into a pool that lives as long as the program, so copies are
// free and it never dangles. The pool only grows: it holds the distinct texts seen, which are
// few next to the entries that name them.
//
// Threads: Share may be called from any thread (listing workers share their folder's path);
// the texts themselves never change.
#pragma once

#include <string>
#include <string_view>

namespace data {

class TSharedText {
 public:
  TSharedText();  // the empty text
  explicit TSharedText(std::string_view text);

  const std::string& Text() const { return *FText; }
  operator const std::string&() const { return *FText; }  // NOLINT: reads as the text itself
  bool empty() const { return FText->empty(); }
  size_t size() const { return FText->size(); }

  // Equal texts share one copy, so the pointers tell.
  friend bool operator==(const TSharedText& a, const TSharedText& b) { return a.FText == b.FText; }
  friend bool operator==(const TSharedText& a, std::string_view b) { return *a.FText == b; }

 private:
  const std::string* FText;
};

}  // namespace data
