// The default file icons. Every picture is 256 x 256 with alpha: the largest size a tile shows;
// the view scales it down for smaller tiles (32 pixels in the default 48-pixel rows). Shapes sit
// on an 8-pixel grid so that their edges stay crisp at an eighth of the size, and the line
// inside each edge is wide enough to remain visible there. Icons do not float, so they
// cast no shadow.
#include "FileIconGen.h"

#include "ThemePaint.h"
#include "gfx/Text.h"

namespace themegen {
namespace {

constexpr int kSize = 256;
// The line inside the edge of pages, folders and devices (0.75 pixels at 32, a clear edge at
// 96), and the thinner one of the badges on a page.
constexpr double kEdge = 6;
constexpr double kBadgeEdge = 4;

// The colours that mark the kinds of documents (a badge's line is LineOf its colour), and those
// of the devices.
constexpr uint32_t kTextInk = 0x9AA5B5;
constexpr uint32_t kPdfRed = 0xE0463F;
constexpr uint32_t kZipAmber = 0xE3A22F;
constexpr uint32_t kAudioViolet = 0x8660D6;
constexpr uint32_t kVideoRose = 0xD94F8C;
constexpr uint32_t kMarkupGreen = 0x23A06B;
constexpr uint32_t kSunAmber = 0xF2B33D;
constexpr uint32_t kDevice = 0xE3E6EB;      // the grey body of drives
constexpr uint32_t kDeviceFront = 0xCDD3DC;
constexpr uint32_t kDeviceLine = 0xB3BBC7;
constexpr uint32_t kDeviceInk = 0x8A94A3;   // slits, holes and cables
constexpr uint32_t kBoard = kMarkupGreen;  // the memory module's board
constexpr uint32_t kChip = 0x33404F;
constexpr uint32_t kGold = 0xE2B54A;

constexpr uint32_t LineOf(uint32_t fill) { return Shade(fill, 0.16); }

// The page of every document: a portrait sheet with its top right corner folded over.
constexpr double kPageLeft = 40, kPageTop = 16, kPageRight = 216, kPageBottom = 240;
constexpr double kPageRadius = 16, kFold = 56;

void PagePath(cairo_t* cr) {
  const double r = kPageRadius;
  cairo_new_path(cr);
  cairo_move_to(cr, kPageLeft + r, kPageTop);
  cairo_line_to(cr, kPageRight - kFold, kPageTop);
  cairo_line_to(cr, kPageRight, kPageTop + kFold);
  cairo_arc(cr, kPageRight - r, kPageBottom - r, r, 0, M_PI / 2);
  cairo_arc(cr, kPageLeft + r, kPageBottom - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, kPageLeft + r, kPageTop + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

void FoldPath(cairo_t* cr) {
  const double r = 12, x = kPageRight - kFold, y = kPageTop + kFold;
  cairo_new_path(cr);
  cairo_move_to(cr, x, kPageTop);
  cairo_arc_negative(cr, x + r, y - r, r, M_PI, M_PI / 2);
  cairo_line_to(cr, kPageRight, y);
  cairo_close_path(cr);
}

void Page(cairo_t* cr) {
  PagePath(cr);
  FillWithInnerLine(cr, kSurface, kFrame, kEdge);
  FoldPath(cr);
  FillWithInnerLine(cr, kDivider, kFrame, kEdge);
}

// A rounded-capped stroke from (X1, Y1) to (X2, Y2).
void Stroke(cairo_t* cr, double x1, double y1, double x2, double y2, double width, uint32_t rgb) {
  cairo_new_path(cr);
  cairo_move_to(cr, x1, y1);
  cairo_line_to(cr, x2, y2);
  SetColour(cr, rgb);
  cairo_set_line_width(cr, width);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_stroke(cr);
}

void Disc(cairo_t* cr, double x, double y, double r, uint32_t fill, uint32_t line, double lineWidth = kEdge) {
  cairo_new_path(cr);
  cairo_arc(cr, x, y, r, 0, 2 * M_PI);
  FillWithInnerLine(cr, fill, line, lineWidth);
}

void Block(cairo_t* cr, double x, double y, double w, double h, double r, uint32_t fill, uint32_t line,
           double lineWidth = kEdge) {
  cairo_new_path(cr);
  RoundedRect(cr, x, y, w, h, r);
  FillWithInnerLine(cr, fill, line, lineWidth);
}

// Bold text centred in Box, drawn by the project's own text output onto a layer that is then
// laid over the picture.
void Label(cairo_t* cr, const gfx::TRect& box, const char* text, int points, uint32_t rgb) {
  gfx::TBitmap32 layer(kSize, kSize);
  layer.Font().Bold = true;
  layer.Font().Size = points;
  gfx::TextRect(layer, box, text, {gfx::TTextAlign::taCenter, true, false}, gfx::Color32FromArgb(0xFF000000u | rgb));
  cairo_surface_t* surface = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(layer.Bits()),
                                                                 CAIRO_FORMAT_ARGB32, kSize, kSize, layer.Stride());
  cairo_set_source_surface(cr, surface, 0, 0);
  cairo_paint(cr);
  cairo_surface_destroy(surface);
}

// The marks of the document kinds, in the free part of the page below the fold.

void TextLines(cairo_t* cr) {
  const double ends[] = {136, 176, 160, 176, 120};
  double y = 96;
  for (double end : ends) {
    Stroke(cr, 72, y, end, y, 14, kTextInk);
    y += 30;
  }
}

void PdfLabel(cairo_t* cr) {
  Stroke(cr, 72, 96, 136, 96, 14, kTextInk);
  Block(cr, 64, 136, 128, 72, 12, kPdfRed, LineOf(kPdfRed), kBadgeEdge);
  Label(cr, gfx::Rect(64, 140, 192, 208), "PDF", 36, kSurface);
}

void Zipper(cairo_t* cr) {
  // Teeth from both sides meeting in the middle, closed down to the slider.
  for (int i = 0; i < 7; ++i) {
    const double x = i % 2 ? 124 : 108;
    Block(cr, x, kPageTop + 10 + i * 16, 24, 10, 3, LineOf(kZipAmber), LineOf(kZipAmber), 0);
  }
  Block(cr, 96, 128, 64, 88, 14, kZipAmber, LineOf(kZipAmber), kBadgeEdge);
  Block(cr, 116, 164, 24, 36, 6, kSurface, LineOf(kZipAmber), kBadgeEdge);
}

void Note(cairo_t* cr) {
  SetColour(cr, kAudioViolet);
  // Two stems under a slanted beam, each ending in an oval head.
  cairo_new_path(cr);
  cairo_move_to(cr, 100, 200);
  cairo_line_to(cr, 100, 112);
  cairo_line_to(cr, 172, 96);
  cairo_line_to(cr, 172, 184);
  cairo_set_line_width(cr, 12);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
  cairo_new_path(cr);
  cairo_move_to(cr, 94, 100);
  cairo_line_to(cr, 178, 82);
  cairo_line_to(cr, 178, 108);
  cairo_line_to(cr, 94, 126);
  cairo_close_path(cr);
  cairo_fill(cr);
  const double heads[][2] = {{84, 200}, {156, 184}};
  for (const auto& head : heads) {
    cairo_save(cr);
    cairo_translate(cr, head[0], head[1]);
    cairo_rotate(cr, -0.35);
    cairo_scale(cr, 1.3, 1);
    cairo_new_path(cr);
    cairo_arc(cr, 0, 0, 18, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_fill(cr);
  }
}

void Play(cairo_t* cr) {
  Disc(cr, 128, 152, 56, kVideoRose, LineOf(kVideoRose), kBadgeEdge);
  cairo_new_path(cr);
  cairo_move_to(cr, 112, 124);
  cairo_line_to(cr, 160, 152);
  cairo_line_to(cr, 112, 180);
  cairo_close_path(cr);
  SetColour(cr, kSurface);
  cairo_set_line_width(cr, 8);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_fill_preserve(cr);
  cairo_stroke(cr);
}

void Markup(cairo_t* cr) {
  const double top = 124, mid = 152, bottom = 180, width = 16;
  cairo_new_path(cr);
  cairo_move_to(cr, 100, top);
  cairo_line_to(cr, 72, mid);
  cairo_line_to(cr, 100, bottom);
  cairo_move_to(cr, 156, top);
  cairo_line_to(cr, 184, mid);
  cairo_line_to(cr, 156, bottom);
  SetColour(cr, kMarkupGreen);
  cairo_set_line_width(cr, width);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
  Stroke(cr, 140, top - 8, 116, bottom + 8, width, kMarkupGreen);
}

// A window of a program, for executables without an icon of their own.
void ProgramWindow(cairo_t* cr) {
  cairo_new_path(cr);
  RoundedRect(cr, 24, 40, 208, 176, 16);
  FillWithInnerLine(cr, kSurface, kFrame, kEdge);
  cairo_save(cr);
  cairo_new_path(cr);
  RoundedRect(cr, 24, 40, 208, 176, 16);
  cairo_clip(cr);
  cairo_rectangle(cr, 24, 40, 208, 48);
  FillWithInnerLine(cr, kAccent, kAccentLine, kEdge);
  cairo_restore(cr);
  for (int i = 0; i < 3; ++i) Disc(cr, 52 + i * 24, 64, 7, kSurface, kSurface, 0);
  // A gear: eight teeth around a ring.
  const double cx = 128, cy = 152, outer = 48, inner = 36;
  cairo_new_path(cr);
  for (int i = 0; i < 8; ++i) {
    const double a = i * M_PI / 4;
    const double half = M_PI / 16;
    cairo_arc(cr, cx, cy, inner, a - 2 * half, a - half);
    cairo_line_to(cr, cx + outer * std::cos(a - half * 0.7), cy + outer * std::sin(a - half * 0.7));
    cairo_line_to(cr, cx + outer * std::cos(a + half * 0.7), cy + outer * std::sin(a + half * 0.7));
  }
  cairo_close_path(cr);
  cairo_new_sub_path(cr);
  cairo_arc_negative(cr, cx, cy, 14, 2 * M_PI, 0);
  FillWithInnerLine(cr, kTextInk, LineOf(kTextInk), kEdge);
}

// A hill on the foot of a picture, from (Left, LeftY) over a crest near (CrestX, CrestY) to
// (Right, RightY), filled down to the foot at 200.
void Hill(cairo_t* cr, double left, double leftY, double right, double rightY, double crestX, double crestY,
          uint32_t rgb) {
  cairo_new_path(cr);
  cairo_move_to(cr, left, 200);
  cairo_line_to(cr, left, leftY);
  cairo_curve_to(cr, crestX - 24, crestY, crestX + 24, crestY, right, rightY);
  cairo_line_to(cr, right, 200);
  SetColour(cr, rgb);
  cairo_fill(cr);
}

// A framed picture, for files whose own icon cannot be shown.
void PictureFrame(cairo_t* cr) {
  Block(cr, 24, 40, 208, 176, 16, kSurface, kFrame);
  cairo_save(cr);
  cairo_new_path(cr);
  RoundedRect(cr, 40, 56, 176, 144, 8);
  cairo_clip(cr);
  SetColour(cr, kSelected);
  cairo_paint(cr);
  Disc(cr, 168, 96, 18, kSunAmber, kSunAmber, 0);
  Hill(cr, 40, 168, 152, 168, 96, 120, kSelectedLine);
  Hill(cr, 72, 200, 216, 176, 144, 132, kAccent);
  cairo_restore(cr);
}

void Folder(cairo_t* cr) {
  const double left = 16, right = 240, top = 40, bottom = 216, r = 16, tabEnd = 96, body = 64;
  cairo_new_path(cr);
  cairo_arc(cr, left + r, top + r, r, M_PI, 3 * M_PI / 2);
  cairo_line_to(cr, tabEnd, top);
  cairo_curve_to(cr, tabEnd + 12, top, tabEnd + 12, body, tabEnd + 28, body);
  cairo_arc(cr, right - r, body + r, r, -M_PI / 2, 0);
  cairo_arc(cr, right - r, bottom - r, r, 0, M_PI / 2);
  cairo_arc(cr, left + r, bottom - r, r, M_PI / 2, M_PI);
  cairo_close_path(cr);
  FillWithInnerLine(cr, kAccent, kAccentLine, kEdge);
  Block(cr, 32, 80, 192, 80, 8, kSurface, kFrame);
  const uint32_t front = Tint(kAccent, 0.3);
  Block(cr, left, 96, right - left, bottom - 96, r, front, Tint(kAccent, 0.08));
}

// The grey slab of a fixed disk, with slits on its front and a blue light.
void DriveSlab(cairo_t* cr, double top, double height) {
  const double left = 24, width = 208, r = 20, front = top + height * 0.58;
  Block(cr, left, top, width, height, r, kDevice, kDeviceLine);
  cairo_save(cr);
  cairo_new_path(cr);
  RoundedRect(cr, left, top, width, height, r);
  cairo_clip(cr);
  cairo_rectangle(cr, left, front, width, height);
  FillWithInnerLine(cr, kDeviceFront, kDeviceLine, kEdge);
  cairo_restore(cr);
  const double mid = (front + top + height) / 2;
  for (int i = 0; i < 4; ++i) Stroke(cr, 56 + i * 20, mid - 8, 56 + i * 20, mid + 8, 8, kDeviceInk);
  Disc(cr, 196, mid, 9, kAccent, kAccent, 0);
}

void HardDrive(cairo_t* cr) { DriveSlab(cr, 64, 128); }

void OpticalDisc(cairo_t* cr) {
  const double c = 128;
  Disc(cr, c, c, 108, kDevice, kDeviceLine);
  cairo_save(cr);
  cairo_new_path(cr);
  cairo_arc(cr, c, c, 102, 0, 2 * M_PI);
  cairo_clip(cr);
  for (double a : {-2.0, 1.14}) {
    cairo_new_path(cr);
    cairo_move_to(cr, c, c);
    cairo_arc(cr, c, c, 110, a, a + 0.7);
    cairo_close_path(cr);
    SetColour(cr, kSelectedLine);
    cairo_fill(cr);
  }
  cairo_restore(cr);
  Disc(cr, c, c, 40, kSurface, kDeviceLine);
  cairo_new_path(cr);
  cairo_arc(cr, c, c, 16, 0, 2 * M_PI);
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  cairo_fill(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  cairo_new_path(cr);
  cairo_arc(cr, c, c, 16 + kEdge / 2, 0, 2 * M_PI);
  SetColour(cr, kDeviceLine);
  cairo_set_line_width(cr, kEdge);
  cairo_stroke(cr);
}

// A memory stick, upright: a metal plug with two windows above a blue body.
void UsbStick(cairo_t* cr) {
  Block(cr, 96, 16, 64, 72, 6, kSurface, kDeviceLine);
  Block(cr, 110, 36, 12, 16, 2, kDeviceInk, kDeviceInk, 0);
  Block(cr, 134, 36, 12, 16, 2, kDeviceInk, kDeviceInk, 0);
  Block(cr, 72, 80, 112, 160, 24, kAccent, kAccentLine);
  Block(cr, 96, 112, 64, 72, 10, Tint(kAccent, 0.3), Tint(kAccent, 0.08));
}

// A memory module: chips on a board with gold contacts and a key notch.
void MemoryModule(cairo_t* cr) {
  const double left = 16, top = 72, width = 224, height = 112;
  Block(cr, left, top, width, height, 10, kBoard, LineOf(kBoard));
  for (int i = 0; i < 4; ++i) Block(cr, 32 + i * 50, top + 16, 42, 48, 4, kChip, kChip, 0);
  for (int i = 0; i < 14; ++i) {
    const double x = 30 + i * 14.4;
    if (x > 128 && x < 148) continue;
    Block(cr, x, top + height - 28, 8, 20, 2, kGold, kGold, 0);
  }
  cairo_new_path(cr);
  RoundedRect(cr, 130, top + height - 20, 16, 28, 4);
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  cairo_fill(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
}

// A disk on the network: a slab with a cable down to a joint on a line.
void NetworkDrive(cairo_t* cr) {
  DriveSlab(cr, 32, 112);
  Stroke(cr, 128, 144, 128, 184, 10, kDeviceInk);
  Stroke(cr, 32, 200, 224, 200, 10, kDeviceInk);
  Block(cr, 104, 176, 48, 48, 10, kAccent, kAccentLine);
}

struct TIcon {
  const char* File;
  void (*Draw)(cairo_t*);
};

const TIcon kIcons[] = {
    {"Unknown.png", Page},
    {"UnknownExe.png", ProgramWindow},
    {"UnknownIco.png", PictureFrame},
    {"folder.png", Folder},
    {"harddrive.png", HardDrive},
    {"cdrom.png", OpticalDisc},
    {"removable.png", UsbStick},
    {"ramdisk.png", MemoryModule},
    {"remote.png", NetworkDrive},
    {"txt.png", [](cairo_t* cr) { Page(cr); TextLines(cr); }},
    {"pdf.png", [](cairo_t* cr) { Page(cr); PdfLabel(cr); }},
    {"zip.png", [](cairo_t* cr) { Page(cr); Zipper(cr); }},
    {"mp3.png", [](cairo_t* cr) { Page(cr); Note(cr); }},
    {"mp4.png", [](cairo_t* cr) { Page(cr); Play(cr); }},
    {"html.png", [](cairo_t* cr) { Page(cr); Markup(cr); }},
};

}  // namespace

bool DrawFileIcons(const std::filesystem::path& folder) {
  bool ok = true;
  for (const TIcon& icon : kIcons) ok &= Save(folder / icon.File, kSize, kSize, icon.Draw);
  return ok;
}

}  // namespace themegen
