#include "tests/launcher/pictures.h"

namespace pictures {

const std::vector<Size>& Sizes() {
  static const std::vector<Size> kSizes = {{1280, 720}, {1920, 1080}, {1280, 800}, {1024, 576}};
  return kSizes;
}

std::string SizeName(const Size& size) { return std::to_string(size.width) + "x" + std::to_string(size.height); }

}  // namespace pictures
