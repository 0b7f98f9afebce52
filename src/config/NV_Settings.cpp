#include "config/NV_Settings.h"

#include <algorithm>

#include "base/Ascii.h"
#include "config/NV_Entries.h"
#include "config/NV_Ini.h"
#include "config/NV_ParamString.h"
#include "config/NV_PathMacros.h"
#include "config/NV_Snapshot.h"

namespace config {

namespace {

TSnapshot<TOptions>& Snapshots() {
  static TSnapshot<TOptions> snapshots;
  return snapshots;
}

TParamString Key(std::string_view name) { return TParamString(ReadSetting("Norvo", name, "")); }

// Later code divides by these sizes.
int AtLeastOne(int size) { return std::max(size, 1); }

void ReadBar(const TParamString& p, TBarOptions& bar, const TBarOptions& def) {
  bar.ShowHint = p.GetParam("ShowHint", def.ShowHint);
  bar.ItemSize = AtLeastOne(p.GetParam("ItemSize", def.ItemSize));
  bar.ItemSpacing = p.GetParam("ItemSpacing", def.ItemSpacing);
}

// The keys of the settings file's [Norvo] section, from one read of the file, so that a load
// never mixes two versions of it.
class TStoredKeys {
 public:
  TStoredKeys() : FFile(LoadIniFile(ResolvePath("SettingsFile:\\"))) {}
  TParamString operator()(std::string_view name) const {
    return TParamString(FFile ? FFile->ReadString("Norvo", name, "") : std::string());
  }

 private:
  std::optional<TIniFile> FFile;
};

// Key after key, item after item, in table order, straight into O: when a value is malformed
// the items before it are already in O and the rest still hold their previous values.
void ReadOptions(TOptions& o) {
  const TOptions d;
  const TStoredKeys keys;
  TParamString p = keys("Theming");
  o.Theming.ControlTheme = p.GetParam("ControlTheme", d.Theming.ControlTheme);
  o.Theming.FilesTheme = p.GetParam("FilesTheme", d.Theming.FilesTheme);
  o.Theming.ButtonTheme = p.GetParam("ButtonTheme", d.Theming.ButtonTheme);
  o.Theming.BackgroundMode = p.GetParam("BackgroundMode", d.Theming.BackgroundMode);

  p = keys("StartUp");
  o.StartUp.RestoreLastSession = p.GetParam("RestoreLastSession", d.StartUp.RestoreLastSession);
  o.StartUp.RestorePosition = p.GetParam("RestorePosition", d.StartUp.RestorePosition);
  o.StartUp.RestoreWH = p.GetParam("RestoreWH", d.StartUp.RestoreWH);

  // A reload without these keeps the sound that is in effect.
  p = keys("Media");
  o.Media.NavSound = p.GetParam("NavSound", o.Media.NavSound);
  o.Media.PlayNavSound = p.GetParam("PlayNavSound", o.Media.PlayNavSound);

  p = keys("Window");
  o.Window.PosX = p.GetParam("PosX", d.Window.PosX);
  o.Window.PosY = p.GetParam("PosY", d.Window.PosY);
  o.Window.Width = p.GetParam("Width", d.Window.Width);
  o.Window.Height = p.GetParam("Height", d.Window.Height);
  o.Window.Maximized = p.GetParam("Maximized", d.Window.Maximized);

  p = keys("Mouse");
  o.Mouse.ClickDelay = p.GetParam("ClickDelay", d.Mouse.ClickDelay);
  o.Mouse.ClickScroll = p.GetParam("ClickScroll", d.Mouse.ClickScroll);
  o.Mouse.StickyScroll = p.GetParam("StickyScroll", d.Mouse.StickyScroll);
  o.Mouse.WheelScroll = p.GetParam("WheelScroll", d.Mouse.WheelScroll);
  o.Mouse.DragThreshold = p.GetParam("DragThreshold", d.Mouse.DragThreshold);

  p = keys("Browsing");
  const TBrowsingOptions& b = d.Browsing;
  o.Browsing.HideHidden = p.GetParam("HideHidden", b.HideHidden);
  o.Browsing.HideSystem = p.GetParam("HideSystem", b.HideSystem);
  o.Browsing.HideFileExtension = p.GetParam("HideFileExtension", b.HideFileExtension);
  o.Browsing.ShowFoldersFirst = p.GetParam("ShowFoldersFirst", b.ShowFoldersFirst);
  o.Browsing.ItemWidth = AtLeastOne(p.GetParam("ItemWidth", b.ItemWidth));
  o.Browsing.ItemHeight = AtLeastOne(p.GetParam("ItemHeight", b.ItemHeight));
  o.Browsing.HideFloppy = p.GetParam("HideFloppy", b.HideFloppy);
  o.Browsing.HideFloppyA = p.GetParam("HideFloppyA", b.HideFloppyA);
  o.Browsing.HideFloppyB = p.GetParam("HideFloppyB", b.HideFloppyB);
  o.Browsing.RCIT = p.GetParam("R.C.I.T.", b.RCIT);
  o.Browsing.RCITValue = p.GetParam("R.C.I.T.Value", b.RCITValue);
  o.Browsing.AnimBackground = p.GetParam("AnimBackground", b.AnimBackground);
  o.Browsing.AnimBackgroundStep = p.GetParam("AnimBackgroundStep", b.AnimBackgroundStep);

  p = keys("General");
  o.General.Lang = p.GetParam("Lang", d.General.Lang);
  o.General.TipDistance = p.GetParam("TipDistance", d.General.TipDistance);
  o.General.FolderGroup = p.GetParam("FolderGroup", d.General.FolderGroup);

  ReadBar(keys("QuickBar"), o.QuickBar, d.QuickBar);
  ReadBar(keys("ActionBar"), o.ActionBar, d.ActionBar);
  ReadBar(keys("PathBar"), o.PathBar, d.PathBar);

  p = keys("SmartEdit");
  o.SmartEdit.PreviewSelected = p.GetParam("PreviewSelected", d.SmartEdit.PreviewSelected);
  o.SmartEdit.MenuAutoShow = p.GetParam("MenuAutoShow", d.SmartEdit.MenuAutoShow);

  p = keys("SmartTabs");
  const TSmartTabsOptions& t = d.SmartTabs;
  o.SmartTabs.Height = AtLeastOne(p.GetParam("Height", t.Height));
  o.SmartTabs.TabPreview = p.GetParam("TabPreview", t.TabPreview);
  o.SmartTabs.StickTabPreview = p.GetParam("StickTabPreview", t.StickTabPreview);
  o.SmartTabs.SmallTabsLeft = p.GetParam("SmallTabsLeft", t.SmallTabsLeft);
  o.SmartTabs.SmallTabsRight = p.GetParam("SmallTabsRight", t.SmallTabsRight);
  o.SmartTabs.SmallButtonsLeft = p.GetParam("SmallButtonsLeft", t.SmallButtonsLeft);
  o.SmartTabs.SmallButtonsRight = p.GetParam("SmallButtonsRight", t.SmallButtonsRight);
  o.SmartTabs.ShowAddTab = p.GetParam("ShowAddTab", t.ShowAddTab);
  o.SmartTabs.TabSpacing = p.GetParam("TabSpacing", t.TabSpacing);
  o.SmartTabs.ButtonSpacing = p.GetParam("ButtonSpacing", t.ButtonSpacing);
  o.SmartTabs.ButtonToTabSpacing = p.GetParam("ButtonToTabSpacing", t.ButtonToTabSpacing);
  o.SmartTabs.ButtonWidthMax = p.GetParam("ButtonWidthMax", t.ButtonWidthMax);
  o.SmartTabs.TabWidthMin = AtLeastOne(p.GetParam("TabWidthMin", t.TabWidthMin));
  o.SmartTabs.TabWidthMax = AtLeastOne(p.GetParam("TabWidthMax", t.TabWidthMax));
  o.SmartTabs.MaxRecent = p.GetParam("MaxRecent", t.MaxRecent);
  o.SmartTabs.SaveRecent = p.GetParam("SaveRecent", t.SaveRecent);

  p = keys("SmartMenu");
  o.SmartMenu.PopUpOffset = p.GetParam("PopUpOffset", d.SmartMenu.PopUpOffset);
  o.SmartMenu.ItemSize = AtLeastOne(p.GetParam("ItemSize", d.SmartMenu.ItemSize));
  o.SmartMenu.ItemSpacing = p.GetParam("ItemSpacing", d.SmartMenu.ItemSpacing);
  o.SmartMenu.MenuWidth = AtLeastOne(p.GetParam("MenuWidth", d.SmartMenu.MenuWidth));

  p = keys("Paths");
  o.Paths.GeneralImage = p.GetParam("GeneralImage", d.Paths.GeneralImage);
  o.Paths.SearchImage = p.GetParam("SearchImage", d.Paths.SearchImage);
  o.Paths.QDriveImage = p.GetParam("QDriveImage", d.Paths.QDriveImage);

  p = keys("Cache");
  o.Cache.PictureMiB = p.GetParam("PictureMiB", d.Cache.PictureMiB);
}

bool IsThemeName(std::string_view key, std::string_view param) {
  return base::SameTextAscii(key, "Theming") &&
         (base::SameTextAscii(param, "ControlTheme") || base::SameTextAscii(param, "ButtonTheme") ||
          base::SameTextAscii(param, "FilesTheme"));
}

}  // namespace

std::shared_ptr<const TOptions> Options() { return Snapshots().Get(); }

void SetOptions(const TOptions& options) {
  TPathContext context = *PathContext();
  context.ControlTheme = options.Theming.ControlTheme;
  context.ButtonTheme = options.Theming.ButtonTheme;
  context.FilesTheme = options.Theming.FilesTheme;
  context.Lang = options.General.Lang;
  Snapshots().Set(std::make_shared<const TOptions>(options));
  SetPathContext(std::move(context));
}

void LoadOptions() {
  TPathContext context = *PathContext();
  context.AppFolder = FindAppFolder();
  SetPathContext(std::move(context));

  TOptions next = *Options();
  try {
    ReadOptions(next);
  } catch (...) {
    SetOptions(next);
    throw;
  }
  SetOptions(next);
}

bool SaveWindowPlacement(const TWindowPlacement& placement) {
  std::shared_ptr<const TOptions> options = Options();
  TParamString window(ReadSetting("Norvo", "Window", ""));
  window.SetParam("Maximized", placement.Maximized);
  if (!placement.Maximized && options->StartUp.RestorePosition) {
    window.SetParam("PosX", placement.Left);
    window.SetParam("PosY", placement.Top);
  }
  if (!placement.Maximized && options->StartUp.RestoreWH) {
    window.SetParam("Width", placement.ClientWidth);
    window.SetParam("Height", placement.ClientHeight);
  }
  return window.SaveToIni("SettingsFile:\\", "Norvo", "Window");
}

bool WriteOption(std::string_view key, std::string_view param, std::string_view value) {
  bool theme = IsThemeName(key, param);
  auto stored = [&] { return Key(key).GetParam(param, ""); };
  std::string before = theme ? stored() : std::string();
  TParamString().SaveToIni("SettingsFile:\\", "Norvo", key, param, value);
  bool restart = theme && stored() != before;
  LoadOptions();
  return restart;
}

bool WriteOption(std::string_view key, std::string_view param, int value) {
  return WriteOption(key, param, std::string_view(std::to_string(value)));
}

bool WriteOption(std::string_view key, std::string_view param, bool value) {
  return WriteOption(key, param, std::string_view(value ? "1" : "0"));
}

}  // namespace config
