// Icons from the GTK icon theme. The theme is asked on the interface thread which picture file
// stands for a list of icon names; the file is decoded on the caller's thread. Icons of content
// types, programs and drive kinds are kept once decoded, per name and size, until the theme
// changes; launchers' icons are looked up each time (their files may change).
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/Icons.h"
#include "platform/UiLoop.h"

namespace platform::gtk {

class TGtkIcons : public Icons {
 public:
  // Loop serves the theme lookups and must outlive the icons.
  explicit TGtkIcons(UiLoop& loop);
  ~TGtkIcons() override;
  TGtkIcons(const TGtkIcons&) = delete;
  TGtkIcons& operator=(const TGtkIcons&) = delete;

  bool ForPath(const std::string& path, int size, gfx::TBitmap32& out) override;
  bool ForContentType(const std::string& contentType, int size, gfx::TBitmap32& out) override;
  bool ForLauncher(const std::string& desktopFile, int size, gfx::TBitmap32& out) override;
  bool ForVolume(const TVolumeInfo& volume, int size, gfx::TBitmap32& out) override;

  // Interface thread, before the first icon: a theme of its own instead of the screen's (for
  // tests), found in the folders SearchPath.
  void UseTheme(const std::vector<std::string>& searchPath, const std::string& themeName);

 private:
  // The first of Names the theme has, decoded at Size; kept under Key when Key is not empty.
  bool Themed(const std::string& key, const std::vector<std::string>& names, int size, gfx::TBitmap32& out);
  void* Theme();  // GtkIconTheme*; interface thread
  static void OnThemeChanged(void* theme, void* self);

  UiLoop& FLoop;
  void* FTheme = nullptr;  // GtkIconTheme*, a reference held; interface thread
  std::mutex FLock;
  std::map<std::pair<std::string, int>, gfx::TBitmap32> FCache;  // under FLock
};

}  // namespace platform::gtk
