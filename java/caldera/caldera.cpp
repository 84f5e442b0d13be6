// Native methods of com.morvanex.util.Caldera: an EU handle on "basalt" and a
// calibration data-set collection behind the object's int fields.  Failures
// never throw into Java; they show as a missing result.
#include <jni.h>

#include <vector>

#include "eu.h"
#include "handle_table.h"

namespace {

using orvela::caldera::HandleAdd;
using orvela::caldera::HandleGet;
using orvela::caldera::HandleRemove;

constexpr const char* kLibField = "euLibHandle";
constexpr const char* kDataSetField = "euDataSetHandle";
constexpr const char* kUrlField = "sensorURLString";

// An int field of the object's class, looked up at every call as the Java
// side may change; `ok` is false when the class has no such field.
struct IntField {
  jfieldID id = nullptr;
  jint value = 0;
  bool ok = false;
};

IntField ReadIntField(JNIEnv* env, jobject self, const char* name) {
  IntField f;
  jclass cls = env->GetObjectClass(self);
  if (cls == nullptr) return f;
  f.id = env->GetFieldID(cls, name, "I");
  env->DeleteLocalRef(cls);
  if (f.id == nullptr) {
    env->ExceptionClear();  // a missing field is a missing result, not an exception
    return f;
  }
  f.value = env->GetIntField(self, f.id);
  f.ok = true;
  return f;
}

// The handle and the collection named by the object's fields, both present.
struct Handles {
  EUHandle* eu = nullptr;
  EUDataSetCollection* collection = nullptr;
  bool ok() const { return eu != nullptr && collection != nullptr; }
};

Handles ReadHandles(JNIEnv* env, jobject self) {
  Handles h;
  IntField lib = ReadIntField(env, self, kLibField);
  if (!lib.ok || lib.value == 0) return h;
  IntField sets = ReadIntField(env, self, kDataSetField);
  if (!sets.ok || sets.value == 0) return h;
  h.eu = static_cast<EUHandle*>(HandleGet(lib.value));
  h.collection = static_cast<EUDataSetCollection*>(HandleGet(sets.value));
  return h;
}

// The modified UTF-8 characters of a Java string, released on scope exit.
class Utf8Chars {
 public:
  Utf8Chars(JNIEnv* env, jstring s) : env_(env), string_(s) {
    if (s != nullptr) chars_ = env->GetStringUTFChars(s, nullptr);
  }
  ~Utf8Chars() {
    if (chars_ != nullptr) env_->ReleaseStringUTFChars(string_, chars_);
  }
  Utf8Chars(const Utf8Chars&) = delete;
  Utf8Chars& operator=(const Utf8Chars&) = delete;
  const char* get() const { return chars_; }

 private:
  JNIEnv* env_;
  jstring string_;
  const char* chars_ = nullptr;
};

// The pinned elements of a double[], released with mode 0 (copied back).
class PinnedDoubles {
 public:
  PinnedDoubles(JNIEnv* env, jdoubleArray a) : env_(env), array_(a) {
    if (a != nullptr) elements_ = env->GetDoubleArrayElements(a, nullptr);
  }
  ~PinnedDoubles() {
    if (elements_ != nullptr) env_->ReleaseDoubleArrayElements(array_, elements_, 0);
  }
  PinnedDoubles(const PinnedDoubles&) = delete;
  PinnedDoubles& operator=(const PinnedDoubles&) = delete;
  jdouble* get() const { return elements_; }

 private:
  JNIEnv* env_;
  jdoubleArray array_;
  jdouble* elements_ = nullptr;
};

jdoubleArray NewDoubleArray(JNIEnv* env, const double* values, int n) {
  jdoubleArray a = env->NewDoubleArray(n);
  if (a != nullptr && n > 0) env->SetDoubleArrayRegion(a, 0, n, values);
  return a;
}

void SetUpdate(JNIEnv* env, jobject self, jstring name, jobjectArray data, bool add) {
  if (data == nullptr || env->GetArrayLength(data) != 2) return;
  auto volts = static_cast<jdoubleArray>(env->GetObjectArrayElement(data, 0));
  auto eus = static_cast<jdoubleArray>(env->GetObjectArrayElement(data, 1));
  if (volts == nullptr || eus == nullptr) return;
  const jsize n = env->GetArrayLength(volts);
  if (env->GetArrayLength(eus) != n) return;
  PinnedDoubles v(env, volts);
  PinnedDoubles e(env, eus);
  if (v.get() == nullptr || e.get() == nullptr) return;
  Utf8Chars chars(env, name);
  if (chars.get() == nullptr) return;
  Handles h = ReadHandles(env, self);
  if (!h.ok()) return;
  // The result is not reported: the Java method returns nothing.
  if (add) {
    h.eu->ops.setDataSet(h.eu, h.collection, chars.get(), v.get(), e.get(), n);
  } else {
    h.eu->ops.updateDataSet(h.eu, h.collection, chars.get(), v.get(), e.get(), n);
  }
}

}  // namespace

extern "C" {

ORVELA_EXPORT JNIEXPORT void JNICALL Java_com_morvanex_util_Caldera_open(JNIEnv* env, jobject self) {
  IntField lib = ReadIntField(env, self, kLibField);
  if (!lib.ok) return;
  EUHandle* h = static_cast<EUHandle*>(HandleGet(lib.value));
  if (lib.value == 0) {
    EUHandle* opened = nullptr;
    if (EUInit("basalt", &opened) >= 0 && opened != nullptr) {
      const int number = HandleAdd(opened);
      if (number == 0) {
        EUClose(&opened);  // no room for its number: the handle cannot be kept
        return;
      }
      env->SetIntField(self, lib.id, number);
      h = opened;
    }
  }
  if (h == nullptr) return;

  IntField sets = ReadIntField(env, self, kDataSetField);
  if (!sets.ok || sets.value != 0) return;  // already open

  jclass cls = env->GetObjectClass(self);
  jfieldID url_id = env->GetFieldID(cls, kUrlField, "Ljava/lang/String;");
  env->DeleteLocalRef(cls);
  if (url_id == nullptr) {
    env->ExceptionClear();
    return;
  }
  auto url = static_cast<jstring>(env->GetObjectField(self, url_id));
  Utf8Chars chars(env, url);
  if (chars.get() == nullptr) return;
  EUDataSetCollection* collection = nullptr;
  if (h->ops.openDataSets(h, chars.get(), &collection) >= 0 && collection != nullptr) {
    const int number = HandleAdd(collection);
    if (number == 0) {
      h->ops.closeDataSets(h, &collection);
      return;
    }
    env->SetIntField(self, sets.id, number);
  }
}

ORVELA_EXPORT JNIEXPORT void JNICALL Java_com_morvanex_util_Caldera_close(JNIEnv* env, jobject self) {
  IntField lib = ReadIntField(env, self, kLibField);
  if (!lib.ok || lib.value == 0) return;
  EUHandle* h = static_cast<EUHandle*>(HandleGet(lib.value));
  // EUClose writes the open collection back and releases it with the handle.
  if (h != nullptr) EUClose(&h);
  HandleRemove(lib.value);
  env->SetIntField(self, lib.id, 0);
  IntField sets = ReadIntField(env, self, kDataSetField);
  if (sets.ok) {
    HandleRemove(sets.value);
    env->SetIntField(self, sets.id, 0);
  }
}

ORVELA_EXPORT JNIEXPORT jobjectArray JNICALL Java_com_morvanex_util_Caldera_get(JNIEnv* env, jobject self,
                                                                               jstring name) {
  Utf8Chars chars(env, name);
  if (chars.get() == nullptr) return nullptr;
  Handles h = ReadHandles(env, self);
  if (!h.ok()) return nullptr;
  double* volts = nullptr;
  double* eus = nullptr;
  int n = 0;
  if (h.eu->ops.getDataSet(h.eu, h.collection, chars.get(), &volts, &eus, &n) < 0 || n < 0) return nullptr;
  if (n > 0 && (volts == nullptr || eus == nullptr)) return nullptr;
  jdoubleArray row0 = NewDoubleArray(env, volts, n);
  jdoubleArray row1 = NewDoubleArray(env, eus, n);
  jclass row_class = env->FindClass("[D");
  jobjectArray outer = row_class != nullptr ? env->NewObjectArray(2, row_class, nullptr) : nullptr;
  if (row0 == nullptr || row1 == nullptr || outer == nullptr) {
    env->ExceptionClear();
    return nullptr;
  }
  env->SetObjectArrayElement(outer, 0, row0);
  env->SetObjectArrayElement(outer, 1, row1);
  return outer;
}

ORVELA_EXPORT JNIEXPORT jobjectArray JNICALL Java_com_morvanex_util_Caldera_getIds(JNIEnv* env, jobject self) {
  Handles h = ReadHandles(env, self);
  if (!h.ok()) return nullptr;
  char** names = nullptr;
  int n = 0;
  if (h.eu->ops.getDataSetsIds(h.eu, h.collection, &names, &n) < 0 || n < 0) return nullptr;
  if (n > 0 && names == nullptr) return nullptr;
  jclass string_class = env->FindClass("java/lang/String");
  if (string_class == nullptr) return nullptr;
  jobjectArray ids = env->NewObjectArray(n, string_class, nullptr);
  if (ids == nullptr) return nullptr;
  for (int i = 0; i < n; ++i) {
    jstring s = names[i] != nullptr ? env->NewStringUTF(names[i]) : nullptr;
    if (s == nullptr || env->ExceptionCheck()) {
      if (env->ExceptionCheck()) env->ExceptionDescribe();
      break;
    }
    env->SetObjectArrayElement(ids, i, s);
    env->DeleteLocalRef(s);
  }
  return ids;
}

ORVELA_EXPORT JNIEXPORT void JNICALL Java_com_morvanex_util_Caldera_set(JNIEnv* env, jobject self, jstring name,
                                                                       jobjectArray data) {
  SetUpdate(env, self, name, data, true);
}

ORVELA_EXPORT JNIEXPORT void JNICALL Java_com_morvanex_util_Caldera_update(JNIEnv* env, jobject self, jstring name,
                                                                          jobjectArray data) {
  SetUpdate(env, self, name, data, false);
}

ORVELA_EXPORT JNIEXPORT void JNICALL Java_com_morvanex_util_Caldera_setupdate(JNIEnv* env, jobject self,
                                                                             jstring name, jobjectArray data,
                                                                             jboolean add) {
  SetUpdate(env, self, name, data, add == JNI_TRUE);
}

ORVELA_EXPORT JNIEXPORT void JNICALL Java_com_morvanex_util_Caldera_remove(JNIEnv* env, jobject self,
                                                                          jstring name) {
  Utf8Chars chars(env, name);
  if (chars.get() == nullptr) return;
  Handles h = ReadHandles(env, self);
  if (!h.ok()) return;
  h.eu->ops.removeDataSet(h.eu, h.collection, chars.get());
}

ORVELA_EXPORT JNIEXPORT jint JNICALL Java_com_morvanex_util_Caldera_getSize(JNIEnv* env, jobject self) {
  Handles h = ReadHandles(env, self);
  if (!h.ok()) return 0;
  int n = 0;
  if (h.eu->ops.getNumDataSets(h.eu, h.collection, &n) < 0) return 0;
  return n;
}

ORVELA_EXPORT JNIEXPORT jdoubleArray JNICALL Java_com_morvanex_util_Caldera_calcPolyCoefs(JNIEnv* env,
                                                                                         jobject self,
                                                                                         jdoubleArray x,
                                                                                         jdoubleArray y) {
  IntField lib = ReadIntField(env, self, kLibField);
  if (!lib.ok || lib.value == 0 || x == nullptr || y == nullptr) return nullptr;
  EUHandle* h = static_cast<EUHandle*>(HandleGet(lib.value));
  if (h == nullptr) return nullptr;
  const jsize n = env->GetArrayLength(x);
  // The fit reads n values of y: a shorter y would be read past its end.
  if (n < 1 || env->GetArrayLength(y) < n) return nullptr;
  PinnedDoubles px(env, x);
  PinnedDoubles py(env, y);
  if (px.get() == nullptr || py.get() == nullptr) return nullptr;
  std::vector<double> coefficients;
  try {
    coefficients.resize(static_cast<size_t>(n));
  } catch (...) {
    return nullptr;
  }
  int m = 0;
  if (h->ops.calcPolyCoefs(h, px.get(), py.get(), n, 0, &m, coefficients.data()) < 0) return nullptr;
  if (m < 0 || m > n) return nullptr;
  return NewDoubleArray(env, coefficients.data(), m);
}

}  // extern "C"
