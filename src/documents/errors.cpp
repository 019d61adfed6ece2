#include "documents/errors.h"

namespace nx {

std::string withFullStop(std::string text) {
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  return text;
}

}  // namespace nx
