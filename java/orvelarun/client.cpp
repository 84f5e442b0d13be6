// The client start: main class from the archive's manifest, main(null).
#include "client.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace orvela::orvelarun {
namespace {

// A Java string decoded from `text` by the platform's default character set
// (new String(byte[])); null when any step fails.
jstring MakeJavaString(JNIEnv* env, const char* text) {
  jclass string_class = env->FindClass("java/lang/String");
  if (string_class == nullptr) return nullptr;
  jmethodID init = env->GetMethodID(string_class, "<init>", "([B)V");
  if (init == nullptr) return nullptr;
  const jsize length = static_cast<jsize>(std::strlen(text));
  jbyteArray bytes = env->NewByteArray(length);
  if (bytes == nullptr) return nullptr;
  env->SetByteArrayRegion(bytes, 0, length, reinterpret_cast<const jbyte*>(text));
  jstring result = nullptr;
  if (env->ExceptionOccurred() == nullptr) {
    result = static_cast<jstring>(env->NewObject(string_class, init, bytes));
  }
  env->DeleteLocalRef(bytes);
  return result;
}

// Calls a no-argument method returning an object; null when it is missing.
jobject CallGetter(JNIEnv* env, jobject target, const char* name, const char* signature) {
  if (target == nullptr) return nullptr;
  jclass cls = env->GetObjectClass(target);
  if (cls == nullptr) return nullptr;
  jmethodID method = env->GetMethodID(cls, name, signature);
  if (method == nullptr) return nullptr;
  return env->CallObjectMethod(target, method);
}

// The "Main-Class" value of the archive's manifest, or null.
jstring MainClassName(JNIEnv* env) {
  jclass jar_class = env->FindClass("java/util/jar/JarFile");
  if (jar_class == nullptr) return nullptr;
  jmethodID init = env->GetMethodID(jar_class, "<init>", "(Ljava/lang/String;)V");
  if (init == nullptr) return nullptr;
  jstring archive_name = MakeJavaString(env, kClientArchive);
  if (archive_name == nullptr) return nullptr;
  jobject archive = env->NewObject(jar_class, init, archive_name);
  if (archive == nullptr) return nullptr;
  jobject manifest = CallGetter(env, archive, "getManifest", "()Ljava/util/jar/Manifest;");
  if (manifest == nullptr || env->ExceptionCheck()) return nullptr;
  jobject attributes = CallGetter(env, manifest, "getMainAttributes", "()Ljava/util/jar/Attributes;");
  if (attributes == nullptr || env->ExceptionCheck()) return nullptr;
  jclass attributes_class = env->GetObjectClass(attributes);
  jmethodID get_value = env->GetMethodID(attributes_class, "getValue", "(Ljava/lang/String;)Ljava/lang/String;");
  if (get_value == nullptr) return nullptr;
  jstring key = MakeJavaString(env, "Main-Class");
  if (key == nullptr) return nullptr;
  return static_cast<jstring>(env->CallObjectMethod(attributes, get_value, key));
}

}  // namespace

void RunClient(JavaVM* vm, JNIEnv* env) {
  jstring name = MainClassName(env);
  if (env->ExceptionOccurred() != nullptr) {
    env->ExceptionDescribe();
    return;
  }
  if (name == nullptr) return;

  const char* chars = env->GetStringUTFChars(name, nullptr);
  if (chars == nullptr) {
    env->ExceptionDescribe();
    return;
  }
  // Class names use '/' where the manifest writes '.'.
  char* class_path = static_cast<char*>(std::malloc(std::strlen(chars) + 1));
  if (class_path == nullptr) {
    std::perror("malloc");
    std::exit(1);
  }
  std::strcpy(class_path, chars);
  for (char* p = class_path; *p != '\0'; ++p) {
    if (*p == '.') *p = '/';
  }
  jclass main_class = env->FindClass(class_path);
  env->ReleaseStringUTFChars(name, chars);
  std::free(class_path);
  if (main_class == nullptr) {
    env->ExceptionDescribe();
    return;
  }
  jmethodID main_method = env->GetStaticMethodID(main_class, "main", "([Ljava/lang/String;)V");
  if (main_method == nullptr) {
    if (env->ExceptionOccurred() != nullptr) env->ExceptionDescribe();
    return;
  }
  // The client receives no argument array at all: a null reference.
  env->CallStaticVoidMethod(main_class, main_method, static_cast<jobjectArray>(nullptr));
  if (env->ExceptionOccurred() != nullptr) {
    env->ExceptionDescribe();
  } else {
    vm->DetachCurrentThread();
  }
}

}  // namespace orvela::orvelarun
