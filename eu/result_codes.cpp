// Messages of the eu result codes.
#include "handle.h"

namespace orvela::eu {

const char* ResultText(int code) {
  switch (code) {
#define EU_CODE_TEXT_(symbol, value, text) \
  case value:                              \
    return text;
    EU_CODES(EU_CODE_TEXT_)
#undef EU_CODE_TEXT_
  }
  return "unknown result code";
}

}  // namespace orvela::eu
