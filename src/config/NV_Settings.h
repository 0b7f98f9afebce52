// The global options: process-wide values from section "Norvo" of the settings file, one key
// per group, each key's value a parameter string ('Mouse=ClickDelay(250), WheelScroll(5)').
//
// Threads: the options live in one immutable snapshot. LoadOptions (interface thread) builds a
// new one and swaps it in whole; any thread may read Options() and keep the snapshot for as
// long as its work needs one consistent set.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace config {

struct TThemingOptions {
  std::string ControlTheme = "Default";
  std::string FilesTheme = "Default";
  std::string ButtonTheme = "Default";
  std::string BackgroundMode =
      "Simple";  // "Simple", "Separate" or "SlideShow"; nothing acts on it yet
  friend bool operator==(const TThemingOptions&, const TThemingOptions&) = default;
};

struct TStartUpOptions {
  bool RestoreLastSession = true;
  bool RestorePosition = false;
  bool RestoreWH = false;
  friend bool operator==(const TStartUpOptions&, const TStartUpOptions&) = default;
};

// The sound shipped with the program in Data/Media/; the player resolves the macro.
inline constexpr std::string_view kDefaultNavSound = "DataPath:\\Media\\Navigation.wav";

struct TMediaOptions {
  std::string NavSound{kDefaultNavSound};
  bool PlayNavSound = true;
  friend bool operator==(const TMediaOptions&, const TMediaOptions&) = default;
};

struct TWindowOptions {
  int PosX = 10;
  int PosY = 10;
  int Width = 900;
  int Height = 600;
  bool Maximized = false;
  friend bool operator==(const TWindowOptions&, const TWindowOptions&) = default;
};

struct TMouseOptions {
  int ClickDelay = 250;
  int ClickScroll = 10;
  bool StickyScroll = true;
  int WheelScroll = 5;
  int DragThreshold = 6;
  friend bool operator==(const TMouseOptions&, const TMouseOptions&) = default;
};

struct TBrowsingOptions {
  bool HideHidden = true;
  bool HideSystem = true;
  bool HideFileExtension = true;
  bool ShowFoldersFirst = true;
  int ItemWidth = 180;
  int ItemHeight = 48;
  bool HideFloppy = true;
  bool HideFloppyA = true;
  bool HideFloppyB = true;
  bool RCIT = true;   // "R.C.I.T.": the recently created item tip
  int RCITValue = 2;  // "R.C.I.T.Value": its age limit in days
  bool AnimBackground = true;
  int AnimBackgroundStep = 5;
  friend bool operator==(const TBrowsingOptions&, const TBrowsingOptions&) = default;
};

struct TGeneralOptions {
  std::string Lang = "English";
  int TipDistance = 10;
  bool FolderGroup = true;
  friend bool operator==(const TGeneralOptions&, const TGeneralOptions&) = default;
};

// "QuickBar", "ActionBar" and "PathBar".
struct TBarOptions {
  bool ShowHint = true;
  int ItemSize = 24;
  int ItemSpacing = 10;
  friend bool operator==(const TBarOptions&, const TBarOptions&) = default;
};

struct TSmartEditOptions {
  bool PreviewSelected = true;
  bool MenuAutoShow = true;
  friend bool operator==(const TSmartEditOptions&, const TSmartEditOptions&) = default;
};

struct TSmartTabsOptions {
  int Height = 28;
  bool TabPreview = true;
  bool StickTabPreview = false;
  bool SmallTabsLeft = false;
  bool SmallTabsRight = false;
  bool SmallButtonsLeft = false;
  bool SmallButtonsRight = true;
  bool ShowAddTab = true;
  int TabSpacing = 2;
  int ButtonSpacing = 2;
  int ButtonToTabSpacing = 2;
  int ButtonWidthMax = 115;
  int TabWidthMin = 26;
  int TabWidthMax = 150;
  int MaxRecent = 8;
  bool SaveRecent = true;  // written by the settings dialog; nothing acts on it yet
  friend bool operator==(const TSmartTabsOptions&, const TSmartTabsOptions&) = default;
};

struct TSmartMenuOptions {
  int PopUpOffset = 0;
  int ItemSize = 23;
  int ItemSpacing = 5;
  int MenuWidth = 250;
  friend bool operator==(const TSmartMenuOptions&, const TSmartMenuOptions&) = default;
};

// Background pictures; loaded, but nothing acts on them yet.
struct TPathsOptions {
  std::string GeneralImage = "ControlThemePath:\\Backgrounds\\GeneralImage.jpg";
  std::string SearchImage = "ControlThemePath:\\Backgrounds\\SearchImage.jpg";
  std::string QDriveImage = "ControlThemePath:\\Backgrounds\\QDriveImage.jpg";
  friend bool operator==(const TPathsOptions&, const TPathsOptions&) = default;
};

// Key "Cache": the memory the shared icon cache may give to pictures read from files (file
// type icons are not counted); beyond it the pictures least recently shown are let go.
struct TCacheOptions {
  int PictureMiB = 256;
  friend bool operator==(const TCacheOptions&, const TCacheOptions&) = default;
};

struct TOptions {
  TThemingOptions Theming;
  TStartUpOptions StartUp;
  TMediaOptions Media;
  TWindowOptions Window;
  TMouseOptions Mouse;
  TBrowsingOptions Browsing;
  TGeneralOptions General;
  TBarOptions QuickBar{true, 48, 10};
  TBarOptions ActionBar{true, 24, 10};
  TBarOptions PathBar{true, 24, 10};
  TSmartEditOptions SmartEdit;
  TSmartTabsOptions SmartTabs;
  TSmartMenuOptions SmartMenu;
  TPathsOptions Paths;
  TCacheOptions Cache;
  friend bool operator==(const TOptions&, const TOptions&) = default;
};

// The options in effect (the defaults until the first load).
std::shared_ptr<const TOptions> Options();
// Puts Options in effect as they are, and the theme and language names with them.
void SetOptions(const TOptions& options);

// Takes the application folder anew, reads the settings file once, then takes key after key
// from what was read, in table order. A missing file, key or item gives the default
// ("NavSound" and "PlayNavSound": their current values). Sizes
// that later code divides by (item, tab and menu sizes) are at least 1; nothing else is limited.
// A malformed number or truth value stops the load with its EConvertError: what was read
// before it is put in effect, everything after it keeps its previous value.
void LoadOptions();

struct TWindowPlacement {
  bool Maximized = false;
  int Left = 0;
  int Top = 0;
  int ClientWidth = 0;
  int ClientHeight = 0;
};
// Stores the main window's placement in key "Window" when it closes: "Maximized" always;
// "PosX"/"PosY" with "RestorePosition" and "Width"/"Height" with "RestoreWH", each only when
// the window is not maximized. False when nothing could be stored.
bool SaveWindowPlacement(const TWindowPlacement& placement);

// What the settings dialog does when one of its controls changes: writes the single item into
// key Key of section "Norvo" and reloads the options (LoadOptions, with its errors). Returns true
// when the change needs a restart to show: a theme name ("ControlTheme", "ButtonTheme",
// "FilesTheme") was changed. The caller then re-arranges the controls.
bool WriteOption(std::string_view key, std::string_view param, std::string_view value);
inline bool WriteOption(std::string_view key, std::string_view param, const char* value) {
  return WriteOption(key, param, std::string_view(value));
}
bool WriteOption(std::string_view key, std::string_view param, int value);
bool WriteOption(std::string_view key, std::string_view param, bool value);

}  // namespace config
