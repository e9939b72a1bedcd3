// Runs an action when a scope is left: always, or only when an error leaves
// it (so that what a step made up to then is still recorded). An action that
// fails while an error is on its way is dropped: the first error is the one
// to report.
#pragma once

#include <exception>
#include <utility>

namespace mivox {

enum class ScopeExitWhen { kAlways, kOnError };

template <typename Action>
class ScopeExit {
public:
    explicit ScopeExit(Action action, ScopeExitWhen when = ScopeExitWhen::kAlways)
        : action_(std::move(action)), when_(when) {}
    ~ScopeExit() noexcept(false) {
        const bool unwinding = std::uncaught_exceptions() > pending_;
        if (!unwinding) {
            if (when_ == ScopeExitWhen::kAlways) action_();
            return;
        }
        try {
            action_();
        } catch (...) {
        }
    }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    Action action_;
    ScopeExitWhen when_;
    int pending_ = std::uncaught_exceptions();
};

}  // namespace mivox
