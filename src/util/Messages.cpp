#include "util/Messages.h"

namespace mivox {

void ShowWarning(MessageBoxes& boxes, const std::string& caption, const std::string& text) {
    boxes.Show(text, caption, kMbOk | kMbIconExclamation);
}

void ShowLastApiError(MessageBoxes& boxes, const SystemInfo& system) {
    const uint32_t code = system.LastError();
    boxes.Show(system.ErrorMessageText(code), "WinAPI Error Code=" + std::to_string(code),
               kMbOk | kMbIconExclamation);
}

}  // namespace mivox
