// A transport library for the tests that lacks CommRead, CommWrite and CommClose.
#include "comm.h"

extern "C" __attribute__((visibility("default"))) int CommOpen(CommHandle*, const char*) { return 0; }
