// Running the Java client inside a created virtual machine.
#ifndef ORVELA_ORVELARUN_CLIENT_H
#define ORVELA_ORVELARUN_CLIENT_H

#include <jni.h>

namespace orvela::orvelarun {

// The client archive, relative to the working directory.
inline constexpr const char* kClientArchive = "orvelaclient.jar";

// Reads the main class from the archive's manifest and calls its static
// main(String[]) with a null argument array.  A pending Java exception at any
// step (archive missing, class or method not found, thrown by main) is
// described on standard error by the VM; an archive without a manifest or a
// "Main-Class" ends silently.  Detaches the thread when main returned
// normally.
void RunClient(JavaVM* vm, JNIEnv* env);

}  // namespace orvela::orvelarun

#endif
