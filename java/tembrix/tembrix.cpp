// Native methods of com.morvanex.util.Tembrix: the thermocouple lookups of eu.
#include <jni.h>

#include "eu.h"

// The value crosses unchanged: a thermocouple voltage in millivolts; `type` is
// the thermocouple code 3 (B) to 10 (T).  The class argument is not used.
extern "C" ORVELA_EXPORT JNIEXPORT jdouble JNICALL Java_com_morvanex_util_Tembrix_volts2DegreesC(JNIEnv*, jclass,
                                                                                              jdouble value,
                                                                                              jint type) {
  return EUlookup_mv2c(value, type);
}

extern "C" ORVELA_EXPORT JNIEXPORT jdouble JNICALL Java_com_morvanex_util_Tembrix_degreesC2Volts(JNIEnv*, jclass,
                                                                                              jdouble degreesC,
                                                                                              jint type) {
  return EUlookup_c2mv(degreesC, type);
}
