#include "platform/gtk/GtkSound.h"

#include <canberra.h>
#include <unistd.h>

namespace platform::gtk {

TGtkSound::~TGtkSound() {
  if (FContext) ca_context_destroy(static_cast<ca_context*>(FContext));
}

void TGtkSound::PlayAsync(const std::string& wavFile) {
  if (FUnavailable || wavFile.empty() || access(wavFile.c_str(), R_OK) != 0) return;
  if (!FContext) {
    ca_context* context = nullptr;
    if (ca_context_create(&context) != CA_SUCCESS) {
      FUnavailable = true;
      return;
    }
    ca_context_change_props(context, CA_PROP_APPLICATION_NAME, "Norvo", nullptr);
    FContext = context;
  }
  // Returns at once; the sound plays on libcanberra's own thread. Failure stays silent.
  ca_context_play(static_cast<ca_context*>(FContext), 0, CA_PROP_MEDIA_FILENAME, wavFile.c_str(), nullptr);
}

}  // namespace platform::gtk
