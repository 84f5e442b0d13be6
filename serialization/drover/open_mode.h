// The access mode of a "drover" URL, read from mode="..." in its extra information.
#ifndef DROVER_OPEN_MODE_H
#define DROVER_OPEN_MODE_H

#include "file_io.h"

namespace drover {

// Fills *mode from the extra information of a URL.  Without "mode=\"" the
// file opens for reading and writing, created and emptied.  Returns false for
// a mode value that is not one of r, w, a, r+, w+, a+ or has no closing quote.
bool ParseOpenMode(const char* extra, orvela::platform::FileOpenMode* mode);

}  // namespace drover

#endif
