// The data-set collection of a handle (private to eu): an open sensor file,
// the format object that read it and the table of its data sets.
#ifndef ORVELA_EU_DATA_SETS_H
#define ORVELA_EU_DATA_SETS_H

#include "eu.h"

// Fields in this order; the collection is the payload of a resource block on
// the handle, whose destructor writes the sensor file back.
struct EUDataSetCollection {
  EUHandle* eu;       // the handle the collection belongs to
  void* serializer;   // the XML format object (SerializeFormat)
  void* holder;       // one pointer to the table of DataSet records
  void* comm;         // the channel of the sensor file (CommHandle)
  void* formatter;    // the DataSets object made here for an empty file, else null
  bool changed;       // a set was added, replaced or removed since the file was read
};

#endif
