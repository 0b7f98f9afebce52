#include "config/NV_PathMacros.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

#include "base/Ascii.h"
#include "base/Path.h"
#include "config/NV_Snapshot.h"
#include "platform/Fs.h"
#include "platform/Shell.h"

namespace config {

namespace {

// The application folder is kept without its trailing "/", and the root as "", so that
// AppFolder + "/Data" names one path with single slashes.
std::string AppFolderText(std::string_view folder) {
  std::string text = base::WithoutTrailingSlash(folder);
  return text == "/" ? std::string() : text;
}

std::string CurrentFolder() {
  std::vector<char> buffer(4096);
  while (!getcwd(buffer.data(), buffer.size())) {
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

std::string ProgramFolder() {
  return base::ParentOf(platform::Fs::SymlinkTarget("/proc/self/exe"));
}

TSnapshot<TPathContext>& Contexts() {
  static TSnapshot<TPathContext> contexts([] {
    auto context = std::make_shared<TPathContext>();
    context->AppFolder = FindAppFolder();
    return std::shared_ptr<const TPathContext>(std::move(context));
  }());
  return contexts;
}

enum class TMacroKind {
  mkReplace,    // stands for its folder inside the text
  mkWhole,      // gives its file, whatever else the text holds
  mkItself,     // gives the macro itself
  mkDocuments,  // gives the user's documents folder
};

// A macro's result: the application folder, Folder, one of the context's names, End.
struct TMacro {
  std::string_view Macro;
  TMacroKind Kind;
  std::string_view Folder = {};
  std::string TPathContext::*Name = nullptr;
  std::string_view End = {};
};

// In the order in which they are tried.
const TMacro kMacros[] = {
    {"AppPath:\\", TMacroKind::mkReplace, "/"},
    {"LangPath:\\", TMacroKind::mkReplace, "/Data/Language/"},
    {"DataPath:\\", TMacroKind::mkReplace, "/Data/"},
    {"ControlThemePath:\\", TMacroKind::mkReplace, "/Data/Themes/Controls/",
     &TPathContext::ControlTheme, "/"},
    {"ButtonsTheme:\\", TMacroKind::mkReplace, "/Data/Themes/Buttons/", &TPathContext::ButtonTheme,
     "/"},
    {"FilesThemePath:\\", TMacroKind::mkReplace, "/Data/Themes/FileIcons/",
     &TPathContext::FilesTheme, "/"},
    {"TemplatePath:\\", TMacroKind::mkReplace, "/Data/FileTemplates/"},
    {"About:\\", TMacroKind::mkWhole, "/Data/Language/", &TPathContext::Lang, ".NVA"},
    {"LangFile:\\", TMacroKind::mkWhole, "/Data/Language/", &TPathContext::Lang, ".NVL"},
    {"ControlTheme:\\", TMacroKind::mkWhole, "/Data/Themes/Controls/", &TPathContext::ControlTheme,
     "/ThemeData.NVS"},
    {"MenuFile:\\", TMacroKind::mkWhole, "/Data/Menus.NVS"},
    {"SettingsFile:\\", TMacroKind::mkWhole, "/Data/Settings.NVS"},
    {"TypesFile:\\", TMacroKind::mkWhole, "/Data/Types.NVS"},
    {"QDrive:\\", TMacroKind::mkItself},
    {"MyDocuments:\\", TMacroKind::mkDocuments},
};

std::string MacroResult(const TMacro& macro, const TPathContext& context) {
  switch (macro.Kind) {
    case TMacroKind::mkItself:
      return std::string(macro.Macro);
    case TMacroKind::mkDocuments: {
      std::string folder =
          platform::TheShell().SpecialFolder(platform::TSpecialFolder::sfDocuments);
      return base::WithTrailingSlash(folder);
    }
    default:
      return context.AppFolder + std::string(macro.Folder) +
             (macro.Name ? context.*macro.Name : "") + std::string(macro.End);
  }
}

// Every occurrence of the macro replaced by Folder; the "\" after the first one become "/".
std::string ReplaceMacro(std::string_view text, std::string_view lowerText,
                         std::string_view lowerMacro, const std::string& folder) {
  std::string result;
  size_t pos = lowerText.find(lowerMacro);
  result.append(text.substr(0, pos));
  while (pos != std::string_view::npos) {
    result += folder;
    size_t next = lowerText.find(lowerMacro, pos + lowerMacro.size());
    std::string_view between =
        text.substr(pos + lowerMacro.size(), next - (pos + lowerMacro.size()));
    for (char c : between) result += c == '\\' ? '/' : c;
    pos = next;
  }
  return result;
}

}  // namespace

std::string FindAppFolder() {
  std::string current = CurrentFolder();
  if (!current.empty() && platform::Fs::DirectoryExists(current + "/Data"))
    return AppFolderText(current);
  return AppFolderText(ProgramFolder());
}

std::shared_ptr<const TPathContext> PathContext() { return Contexts().Get(); }

void SetPathContext(TPathContext context) {
  context.AppFolder = AppFolderText(context.AppFolder);
  Contexts().Set(std::make_shared<const TPathContext>(std::move(context)));
}

std::string ResolvePath(std::string_view text) { return ResolvePath(text, *PathContext()); }

std::string ResolvePath(std::string_view text, const TPathContext& context) {
  if (text.find(":\\") == std::string_view::npos)
    return std::string(text);  // no macro can be there
  std::string lowerText = base::AsciiLowerCase(text);
  std::string result(text);
  for (const TMacro& macro : kMacros) {
    std::string lowerMacro = base::AsciiLowerCase(macro.Macro);
    if (lowerText.find(lowerMacro) == std::string::npos) continue;
    std::string folder = MacroResult(macro, context);
    result = macro.Kind == TMacroKind::mkReplace ? ReplaceMacro(text, lowerText, lowerMacro, folder)
                                                 : folder;
  }
  return result;
}

std::string MakeAppRelative(std::string_view path) {
  std::string folder = AppFolder();
  if (folder.empty()) return std::string(path);  // a program in "/" would claim every path
  std::string prefix = folder + "/";
  std::string result;
  size_t start = 0;
  for (size_t pos = path.find(prefix); pos != std::string_view::npos;
       pos = path.find(prefix, start)) {
    result.append(path.substr(start, pos - start));
    result += "AppPath:\\";
    start = pos + prefix.size();
  }
  result.append(path.substr(start));
  return result;
}

}  // namespace config
