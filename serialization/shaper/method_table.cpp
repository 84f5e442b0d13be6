// DBFInitHandle: a plug-in's method table copied into an object's slots.
#include "shaper.h"

namespace {

template <typename Fn>
Fn Entry(const void* const* table, int index) {
  return reinterpret_cast<Fn>(const_cast<void*>(table[index]));
}

}  // namespace

extern "C" void DBFInitHandle(void* object, const void* const* methodTable) {
  if (object == nullptr || methodTable == nullptr) return;
  auto* f = static_cast<DBFFormatter*>(object);
  // The table lists getName, addRef and getData in another order than the
  // object's slots; the copy goes by name.
  f->getTypeUrl = Entry<DBFGetTypeUrlFn>(methodTable, DBF_METHOD_GET_TYPE_URL);
  f->firstField = Entry<DBFFirstFieldFn>(methodTable, DBF_METHOD_FIRST_FIELD);
  f->nextField = Entry<DBFNextFieldFn>(methodTable, DBF_METHOD_NEXT_FIELD);
  f->setValue = Entry<DBFSetValueFn>(methodTable, DBF_METHOD_SET_VALUE);
  f->create = Entry<DBFCreateFn>(methodTable, DBF_METHOD_CREATE);
  f->getId = Entry<DBFGetIdFn>(methodTable, DBF_METHOD_GET_ID);
  f->setId = Entry<DBFSetIdFn>(methodTable, DBF_METHOD_SET_ID);
  f->getData = Entry<DBFGetDataFn>(methodTable, DBF_METHOD_GET_DATA);
  f->getName = Entry<DBFGetNameFn>(methodTable, DBF_METHOD_GET_NAME);
  f->addRef = Entry<DBFAddRefFn>(methodTable, DBF_METHOD_ADD_REF);
}
