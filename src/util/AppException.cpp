#include "util/AppException.h"

namespace mivox {

void AppException(MessageBoxes& boxes, const std::exception& error) {
    boxes.Show(error.what(), kApplicationTitle, kMbOk | kMbIconHand);
}

}  // namespace mivox
