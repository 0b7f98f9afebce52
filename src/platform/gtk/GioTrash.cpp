#include "platform/gtk/GioTrash.h"

#include <gio/gio.h>

#include <cstring>
#include <string>

namespace platform::gtk {

namespace {

constexpr const char* kTrashUri = "trash:///";

// Whether the desktop's virtual file system serves trash:/// (it does on a desktop session).
bool TrashUriServed() {
  const gchar* const* schemes = g_vfs_get_supported_uri_schemes(g_vfs_get_default());
  for (; schemes && *schemes; ++schemes)
    if (std::strcmp(*schemes, "trash") == 0) return true;
  return false;
}

std::string TakeMessage(GError* error) {
  std::string message = error && error->message ? error->message : "unknown error";
  if (error) g_error_free(error);
  return message;
}

// Calls Fn for every child of Folder with the attributes asked for; false when Folder cannot
// be listed.
template <typename TFn>
bool ForEachChild(GFile* folder, const char* attributes, TFn&& fn, std::string* error = nullptr) {
  GError* failure = nullptr;
  // The enumerator makes each child's GFile from its name, so the name is always asked for.
  const std::string asked = std::string(G_FILE_ATTRIBUTE_STANDARD_NAME ",") + attributes;
  GFileEnumerator* children = g_file_enumerate_children(
      folder, asked.c_str(), G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS, nullptr, &failure);
  if (!children) {
    const std::string message = TakeMessage(failure);
    if (error) *error = message;
    return false;
  }
  for (;;) {
    GFileInfo* info = nullptr;
    GFile* child = nullptr;
    if (!g_file_enumerator_iterate(children, &info, &child, nullptr, nullptr) || !info) break;
    fn(child, info);  // both belong to the enumerator
  }
  g_object_unref(children);
  return true;
}

uint64_t BytesIn(GFile* folder) {
  uint64_t bytes = 0;
  ForEachChild(folder, G_FILE_ATTRIBUTE_STANDARD_TYPE "," G_FILE_ATTRIBUTE_STANDARD_SIZE,
               [&](GFile* child, GFileInfo* info) {
                 const GFileType type = g_file_info_get_file_type(info);
                 if (type == G_FILE_TYPE_DIRECTORY)
                   bytes += BytesIn(child);
                 else if (type == G_FILE_TYPE_REGULAR)
                   bytes += uint64_t(g_file_info_get_size(info));
               });
  return bytes;
}

}  // namespace

std::string TGioTrash::HomeTrashFolder() const {
  return std::string(g_get_user_data_dir()) + "/Trash";
}

TTrashMove TGioTrash::Move(const std::string& path, std::string& error) {
  GFile* file = g_file_new_for_path(path.c_str());
  GError* failure = nullptr;
  const bool moved = g_file_trash(file, nullptr, &failure);
  g_object_unref(file);
  if (moved) return TTrashMove::tmMoved;
  // GIO says "not supported" for a drive on which it finds, and can make, no trash folder.
  const bool unsupported = g_error_matches(failure, G_IO_ERROR, G_IO_ERROR_NOT_SUPPORTED);
  error = TakeMessage(failure);
  return unsupported ? TTrashMove::tmUnsupported : TTrashMove::tmFailed;
}

TTrashInfo TGioTrash::Info() {
  if (!TrashUriServed()) return trashfolder::Info(HomeTrashFolder());
  TTrashInfo result;
  GFile* trash = g_file_new_for_uri(kTrashUri);
  ForEachChild(trash, G_FILE_ATTRIBUTE_STANDARD_TYPE "," G_FILE_ATTRIBUTE_STANDARD_SIZE,
               [&](GFile* child, GFileInfo* info) {
                 ++result.Count;
                 if (g_file_info_get_file_type(info) == G_FILE_TYPE_DIRECTORY)
                   result.Bytes += BytesIn(child);
                 else
                   result.Bytes += uint64_t(g_file_info_get_size(info));
               });
  g_object_unref(trash);
  return result;
}

bool TGioTrash::Empty(std::string& error) {
  if (!TrashUriServed()) return trashfolder::Empty(HomeTrashFolder(), error);
  GFile* trash = g_file_new_for_uri(kTrashUri);
  bool complete = true;
  // Deleting a top-level item of trash:/// deletes it with everything inside.
  const bool listed = ForEachChild(
      trash, G_FILE_ATTRIBUTE_STANDARD_TYPE,
      [&](GFile* child, GFileInfo*) {
        GError* failure = nullptr;
        if (g_file_delete(child, nullptr, &failure)) return;
        const std::string message = TakeMessage(failure);
        if (complete) error = message;
        complete = false;
      },
      &error);
  g_object_unref(trash);
  return listed && complete;
}

std::string TGioTrash::Location() {
  return TrashUriServed() ? kTrashUri : HomeTrashFolder() + "/files";
}

}  // namespace platform::gtk
