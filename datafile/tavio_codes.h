/*
 * tavio result codes: the one table of every status the data file library
 * returns, with its message.  Header only, so that programs over the library
 * can turn a code into text without another export.
 */
#ifndef TAVIO_CODES_H
#define TAVIO_CODES_H

/* X(symbol, value, message) for every code; values are never reused. */
#define TAVIO_CODES(X)                                                                              \
  X(TAVIO_OK, 0, "no error")                                                                        \
  X(TAVIO_E_FILE, 200,                                                                              \
    "a file could not be opened or created, or the container library could not be loaded or lacks " \
    "a function")                                                                                   \
  X(TAVIO_E_NOT_OPEN, 201, "no file is open for the requested operation")                           \
  X(TAVIO_E_ALREADY_OPEN, 204, "a write file is already open")                                      \
  X(TAVIO_E_CHANNEL, 210, "channel number out of range")                                            \
  X(TAVIO_E_FORMAT_NAME, 212, "the keyed header names an unknown format")                           \
  X(TAVIO_E_INDEX, 213, "point or coefficient index out of range, or a point count that cannot be fitted") \
  X(TAVIO_E_FORMAT, 214, "operation not available for the selected format, or unknown format name") \
  X(TAVIO_E_DATA_TYPE, 215, "data type other than 0, 1, 128, 129")                                  \
  X(TAVIO_E_CONVERSION, 217, "conversion type text not recognised")                                 \
  X(TAVIO_E_CLOSE, 219, "closing failed, or a container library function is missing or reports failure") \
  X(TAVIO_E_TEXT_WRITE, 221, "writing text output failed")                                          \
  X(TAVIO_E_WRITE, 222, "writing the data file failed")                                             \
  X(TAVIO_E_FIT, 223, "the least-squares fit failed")                                               \
  X(TAVIO_E_POSITION, 500, "the container library could not position at the requested sample")

#define TAVIO_CODE_ENUM_ITEM(symbol, value, message) symbol = value,
enum { TAVIO_CODES(TAVIO_CODE_ENUM_ITEM) };
#undef TAVIO_CODE_ENUM_ITEM

/* Returns the message of a tavio result code (a static text), or NULL for a
 * value that is not a tavio code.  Negative values passed on from the
 * container library are not tavio codes. */
static inline const char* tavio_code_message(int code) {
  switch (code) {
#define TAVIO_CODE_CASE(symbol, value, message) \
  case value:                                   \
    return message;
    TAVIO_CODES(TAVIO_CODE_CASE)
#undef TAVIO_CODE_CASE
    default:
      return 0;
  }
}

#endif
