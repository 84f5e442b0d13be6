// Resolution of thermocouple reference channels by name.
#include "references.h"

#include <cstring>

namespace orvela::tavio {

void ResolveReferences(DataFileContext& ctx) {
  const int count = ctx.description.channel_count < kMaxChannels ? ctx.description.channel_count : kMaxChannels;
  ctx.reference_count = 0;
  for (int i = 0; i < count; ++i) {
    if (ctx.description.channels[static_cast<std::size_t>(i)].is_reference != 0)
      ctx.references[static_cast<std::size_t>(ctx.reference_count++)] = i;
  }
  for (int i = 0; i < count; ++i) {
    ChannelRecord& rec = ctx.description.channels[static_cast<std::size_t>(i)];
    rec.reference_index = -1;
    if (rec.tc_ref_text[0] == '\0') continue;
    for (int r = 0; r < ctx.reference_count; ++r) {
      const int ref = ctx.references[static_cast<std::size_t>(r)];
      if (std::strcmp(ctx.description.channels[static_cast<std::size_t>(ref)].name, rec.tc_ref_text) == 0) {
        rec.reference_index = ref;
        break;
      }
    }
  }
}

}  // namespace orvela::tavio
