// basalt's data-set entries: each forwards to the eu export of the same name
// prefixed with EU.  (The file includes no C library header, since basalt's
// exports include the generic name "close".)
#include "eu.h"

ORVELA_EXTERN_C_BEGIN

/* Ordinal 13, forwards to EUopenDataSets. */
ORVELA_EXPORT int openDataSets(EUHandle* h, const char* url, EUDataSetCollection** out) {
  return EUopenDataSets(h, url, out);
}

/* Ordinal 14, forwards to EUopenDataSetsCOMM. */
ORVELA_EXPORT int openDataSetsCOMM(EUHandle* h, void* comm, EUDataSetCollection** out) {
  return EUopenDataSetsCOMM(h, comm, out);
}

/* Ordinal 15, forwards to EUgetDataSet. */
ORVELA_EXPORT int getDataSet(EUHandle* h, EUDataSetCollection* c, const char* name, double** volts, double** eus,
                             int* count) {
  return EUgetDataSet(h, c, name, volts, eus, count);
}

/* Ordinal 16, forwards to EUsetDataSet. */
ORVELA_EXPORT int setDataSet(EUHandle* h, EUDataSetCollection* c, const char* name, const double* volts,
                             const double* eus, int count) {
  return EUsetDataSet(h, c, name, volts, eus, count);
}

/* Ordinal 17, forwards to EUupdateDataSet. */
ORVELA_EXPORT int updateDataSet(EUHandle* h, EUDataSetCollection* c, const char* name, const double* volts,
                                const double* eus, int count) {
  return EUupdateDataSet(h, c, name, volts, eus, count);
}

/* Ordinal 18, forwards to EUremoveDataSet. */
ORVELA_EXPORT int removeDataSet(EUHandle* h, EUDataSetCollection* c, const char* name) {
  return EUremoveDataSet(h, c, name);
}

/* Ordinal 19, forwards to EUgetDataSetsIds. */
ORVELA_EXPORT int getDataSetsIds(EUHandle* h, EUDataSetCollection* c, char*** names, int* count) {
  return EUgetDataSetsIds(h, c, names, count);
}

/* Ordinal 20, forwards to EUgetNumDataSets. */
ORVELA_EXPORT int getNumDataSets(EUHandle* h, EUDataSetCollection* c, int* count) {
  return EUgetNumDataSets(h, c, count);
}

/* Ordinal 21, forwards to EUcloseDataSets. */
ORVELA_EXPORT int closeDataSets(EUHandle* h, EUDataSetCollection** c) { return EUcloseDataSets(h, c); }

ORVELA_EXTERN_C_END
