#include "util/Messages.h"

namespace mivox {

void ShowWarning(MessageBoxes& boxes, const std::string& caption, const std::string& text) {
    boxes.Show(text, caption, kMbOk | kMbIconExclamation);
}

void ShowOutcome(MessageBoxes& boxes, const Outcome& outcome) {
    ShowWarning(boxes, outcome.caption, outcome.text);
}

void ShowLastApiError(MessageBoxes& boxes, const SystemInfo& system) {
    const uint32_t code = system.LastError();
    boxes.Show(system.ErrorMessageText(code), "WinAPI Error Code=" + std::to_string(code),
               kMbOk | kMbIconExclamation);
}

bool BoxConversation::Ask(const Query& query) {
    const int answer = boxes_.Show(query.text, query.caption, query.boxStyle);
    const bool okCancel = (query.boxStyle & kMbButtonsMask) == kMbOkCancel;
    return answer == (okCancel ? kIdOk : kIdYes);
}

}  // namespace mivox
