// The application folder and the path macros that name every file of the system
// ("ControlThemePath:\QuickBar\Back.png", "SettingsFile:\").
//
// Stored macro paths keep their Windows spelling, so theme and settings files stay
// exchangeable; resolving turns each "\" after a macro into "/". A path without a macro is
// never rewritten ("\" is a legal character in a file name here).
//
// Threads: the options loader replaces the context on the interface thread while workers
// resolve paths; each resolution uses one whole context, old or new.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace config {

// What the macros expand to: the application folder (without a trailing "/") and the current
// theme and language names.
struct TPathContext {
  std::string AppFolder;
  std::string ControlTheme = "Default";
  std::string ButtonTheme = "Default";
  std::string FilesTheme = "Default";
  std::string Lang = "English";
};

// The current folder when it holds a "Data" folder, otherwise the folder of the program.
std::string FindAppFolder();

// The context in effect; before the first SetPathContext, FindAppFolder() with the default
// names.
std::shared_ptr<const TPathContext> PathContext();
void SetPathContext(TPathContext context);
inline std::string AppFolder() { return PathContext()->AppFolder; }

// Expands the macros of Text: each macro of the table that Text holds (in any case) recomputes
// the result from Text, so the last matching one decides. Replacing macros ("DataPath:\") stand
// for their folder inside Text; whole macros ("SettingsFile:\") give their file and drop the
// rest. "QDrive:\" stays "QDrive:\" (the drives view).
std::string ResolvePath(std::string_view text);
std::string ResolvePath(std::string_view text, const TPathContext& context);

// Path with the application folder followed by "/" replaced by "AppPath:\", so stored paths
// follow the program's folder. The folder is compared exactly: file names are case-sensitive.
std::string MakeAppRelative(std::string_view path);

}  // namespace config
