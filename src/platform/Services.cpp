// The slots of the window host's services.
#include "platform/Clipboard.h"
#include "platform/Dialogs.h"
#include "platform/ServiceSlot.h"
#include "platform/Sound.h"

namespace platform {

namespace {
TServiceSlot<Clipboard> gClipboard;
TServiceSlot<Dialogs> gDialogs;
TServiceSlot<Sound> gSound;
}  // namespace

void SetClipboard(Clipboard* clipboard) { gClipboard.Set(clipboard); }
Clipboard& TheClipboard() { return gClipboard.Get(); }
void SetDialogs(Dialogs* dialogs) { gDialogs.Set(dialogs); }
Dialogs& TheDialogs() { return gDialogs.Get(); }
void SetSound(Sound* sound) { gSound.Set(sound); }
Sound& TheSound() { return gSound.Get(); }

}  // namespace platform
