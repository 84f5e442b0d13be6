// orvelarun: starts the Orvela Java client in a Java VM loaded into this
// process.  It takes no arguments, prints nothing of its own and reports
// through its exit code (see ExitCode in runtime.h).
#include <jni.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "client.h"
#include "dynlib.h"
#include "runtime.h"

namespace {

using namespace orvela::orvelarun;

using CreateJavaVmFn = jint(JNICALL*)(JavaVM**, void**, void*);
using GetDefaultArgsFn = jint(JNICALL*)(void*);

void AddressInProgram() {}

int Launch() {
  const std::string program = orvela::platform::ModuleFileName(reinterpret_cast<const void*>(&AddressInProgram));
  const std::string runtime = FindRuntime(ApplicationHome(program));
  if (runtime.empty()) return kExitNoRuntime;

  const std::vector<std::string> vms = ReadVmList(runtime);
  if (vms.empty()) return kExitNoVmList;
  const std::string vm_library = FindVmLibrary(runtime, vms);
  if (vm_library.empty()) return kExitNoVmLibrary;

  void* module = orvela::platform::LoadLibraryFile(vm_library.c_str());
  auto create = reinterpret_cast<CreateJavaVmFn>(orvela::platform::ResolveSymbol(module, "JNI_CreateJavaVM"));
  auto defaults =
      reinterpret_cast<GetDefaultArgsFn>(orvela::platform::ResolveSymbol(module, "JNI_GetDefaultJavaVMInitArgs"));
  if (create == nullptr || defaults == nullptr) return kExitBadVmLibrary;

  char class_path[] = "-Djava.class.path=orvelaclient.jar";
  JavaVMOption option{};
  option.optionString = class_path;
  option.extraInfo = nullptr;
  JavaVMInitArgs args{};
  args.version = JNI_VERSION_1_2;
  args.nOptions = 1;
  args.options = &option;
  args.ignoreUnrecognized = JNI_FALSE;
  JavaVM* vm = nullptr;
  JNIEnv* env = nullptr;
  if (create(&vm, reinterpret_cast<void**>(&env), &args) != 0) return kExitCreateFailed;

  RunClient(vm, env);

  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  vm->DestroyJavaVM();
  return kExitOk;
}

}  // namespace

int main() { return Launch(); }
