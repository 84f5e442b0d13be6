// Thermocouple reference channels, resolved by name.
#ifndef TAVIO_REFERENCES_H
#define TAVIO_REFERENCES_H

#include "tavio_state.h"

namespace orvela::tavio {

// Rebuilds the context's reference list from the channels marked as
// references, then gives every channel the first reference channel (in
// channel order) whose name equals its reference text exactly, or -1 when its
// text is empty or names no reference channel.
void ResolveReferences(DataFileContext& ctx);

}  // namespace orvela::tavio

#endif
