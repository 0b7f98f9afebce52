// Loading the picture of one icon source: the step the folder's icon workers (and the icon
// cache's reload hook) run for each source they are given.
//
// Threads: any thread. The picture is decoded privately and published through the cache.
#pragma once

#include "data/NV_ItemData.h"

namespace data {

class TIconCache;
class TSourceData;
class TThumbnailCache;

// The source has no picture yet and none failed: someone has to load it.
bool NeedsLoad(const TSourceData& source);

// Decodes the picture Request names and publishes it into Source (a fallback picture when the
// file cannot be shown, a failure when not even that can be read). Never throws.
void LoadIconSource(const TIconRequest& request, TSourceData& source, TIconCache& cache,
                    TThumbnailCache* thumbnails);

// The size each kind of source is decoded at, at most.
inline constexpr int kTypeIconSize = 128;
inline constexpr int kPreviewSize = 256;

}  // namespace data
