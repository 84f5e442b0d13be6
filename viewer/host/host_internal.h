// Declarations shared by the host's source files; not part of its interface.
#ifndef TRENDEL_HOST_INTERNAL_H
#define TRENDEL_HOST_INTERNAL_H

#include <tcl.h>

namespace trendel::host {

// Linked to the Tcl variable Et_EvalTrace as a boolean: when non-zero,
// Et_EvalF and Et_EvalAtGlobalF trace to standard output.
extern int eval_trace;

}  // namespace trendel::host

#endif
