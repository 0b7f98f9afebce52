#include "data/NV_IconLoad.h"

#include "data/NV_IconCache.h"
#include "data/NV_PictureLoader.h"
#include "data/NV_SourceData.h"

namespace data {

bool NeedsLoad(const TSourceData& source) {
  return !source.sdLoaded.load(std::memory_order_acquire) &&
         !source.sdError.load(std::memory_order_acquire);
}

void LoadIconSource(const TIconRequest& request, TSourceData& source, TIconCache& cache,
                    TThumbnailCache* thumbnails) {
  const int size = request.Kind == ikType ? kTypeIconSize : kPreviewSize;
  TPictureSources sources;
  sources.Thumbnails = thumbnails;
  try {
    gfx::TBitmap32 picture;
    // The loader picks by the file: a file type's theme picture or the desktop's icon for a
    // plain file, the thumbnail of a picture, the icon of a program.
    TPictureLoad result = LoadPicture(request.Path, picture, size, false, size, sources);
    // A program without an icon of its own shows the theme's program picture.
    if (request.Kind == ikProgram && result == TPictureLoad::plFallback) {
      gfx::TBitmap32 program;
      if (LoadPng("FilesThemePath:\\UnknownExe.png", program)) picture = std::move(program);
    }
    if (result == TPictureLoad::plFailed)
      cache.PublishFailed(source);
    else
      cache.Publish(source, std::move(picture));
  } catch (...) {
    cache.PublishFailed(source);
  }
}

}  // namespace data
