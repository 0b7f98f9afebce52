// Arbitrary bytes into UTF-8 sanitising and stepping. The stepping functions agree with each
// other: the code points NextCodePoint walks are the ones PrevCodePoint walks back, their number
// is CodePointCount and their starts are where CodePointPrefix ends. Each code point is a
// well-formed sequence or one malformed piece as a strict decoder sees it: a stray byte or the
// longest start of a sequence that cannot be completed. Sanitised text is valid UTF-8 without
// NUL, has as many code points, keeps every well-formed one and changes no more when sanitised
// again.
#include <string>
#include <vector>

#include "FuzzText.h"
#include "gfx/Text.h"

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// The length of a sequence whose lead byte is Lead, 0 for a byte that leads none.
size_t LeadLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// Piece is the start of some well-formed sequence: filled up with the smallest or the largest
// continuation byte it makes one.
bool Completable(std::string_view piece) {
  const size_t length = LeadLength(static_cast<unsigned char>(piece[0]));
  if (length == 0 || piece.size() > length) return false;
  for (char fill : {'\x80', '\xBF'}) {
    std::string whole(piece);
    whole.resize(length, fill);
    if (fuzz::Utf8SequenceLength(whole) == length) return true;
  }
  return false;
}

void CheckPiece(std::string_view s, size_t at, size_t end) {
  const std::string_view piece = s.substr(at, end - at);
  if (piece.empty() || piece.size() > 4) fuzz::Broken();
  if (fuzz::Utf8SequenceLength(piece) == piece.size()) return;  // well-formed
  // malformed: the longest start that cannot be completed, or a single stray byte
  if (piece.size() > 1 && !Completable(piece)) fuzz::Broken();
  if (end < s.size() && Completable(s.substr(at, end - at + 1))) fuzz::Broken();
  if (fuzz::Utf8SequenceLength(s.substr(at)) != 0) fuzz::Broken();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view s = fuzz::AsText(data, size);

  std::vector<size_t> starts;
  for (size_t at = 0; at < s.size();) {
    starts.push_back(at);
    const size_t next = gfx::NextCodePoint(s, at);
    if (next <= at || next > s.size()) fuzz::Broken();
    CheckPiece(s, at, next);
    if (gfx::PrevCodePoint(s, next) != at) fuzz::Broken();
    at = next;
  }
  if (gfx::CodePointCount(s) != starts.size()) fuzz::Broken();
  for (size_t k = 0; k < starts.size(); ++k)
    if (gfx::CodePointPrefix(s, k) != s.substr(0, starts[k])) fuzz::Broken();
  if (gfx::CodePointPrefix(s, starts.size() + 3) != s) fuzz::Broken();
  if (gfx::NextCodePoint(s, s.size()) != s.size() || gfx::NextCodePoint(s, s.size() + 5) != s.size())
    fuzz::Broken();
  if (gfx::PrevCodePoint(s, 0) != 0 || gfx::PrevCodePoint(s, s.size() + 5) != gfx::PrevCodePoint(s, s.size()))
    fuzz::Broken();

  const std::string clean = gfx::SanitizeUtf8(s);
  if (!fuzz::IsUtf8(clean) || clean.find('\0') != std::string::npos) fuzz::Broken();
  if (gfx::SanitizeUtf8(clean) != clean) fuzz::Broken();
  if (gfx::CodePointCount(clean) != starts.size()) fuzz::Broken();
  // Piece by piece: a well-formed code point other than NUL stays, anything else is U+FFFD.
  std::string expected;
  for (size_t k = 0; k < starts.size(); ++k) {
    const size_t end = k + 1 < starts.size() ? starts[k + 1] : s.size();
    const std::string_view piece = s.substr(starts[k], end - starts[k]);
    const bool kept = piece != std::string_view("\0", 1) && fuzz::Utf8SequenceLength(piece) == piece.size();
    expected += kept ? piece : kReplacement;
  }
  if (clean != expected) fuzz::Broken();
  if (fuzz::IsUtf8(s) && s.find('\0') == std::string_view::npos && clean != s) fuzz::Broken();
  return 0;
}
