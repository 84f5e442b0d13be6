// A library the loader tests open by bare name and by path.  It calls into the
// C library, so getpid is reachable through it but is not its own export.
#include <unistd.h>

#define PROBE_EXPORT __attribute__((visibility("default")))

extern "C" PROBE_EXPORT int orvtest_probe_answer() {
  return 42;
}

extern "C" PROBE_EXPORT int orvtest_probe_pid() {
  return static_cast<int>(getpid());
}
