#include "text/text.h"

namespace vorlane {

Text BytesToText(std::string_view bytes) {
  return Text(bytes.substr(0, bytes.find('\0')));
}

}  // namespace vorlane
