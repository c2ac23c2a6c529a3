#pragma once
// What the first-generation console's logic asks of its window: widgets refreshed from the
// controls' state, the graph drawn again, the "Communication" frame's labels shown at once
// (the debug view follows every character).

#include <functional>

namespace ostrino::gen1 {

struct Gen1Hooks {
    std::function<void()> Refresh;
    std::function<void()> DrawPicture;
    std::function<void()> RefreshCom;

    static void call(const std::function<void()>& hook) {
        if (hook) {
            hook();
        }
    }
};

}  // namespace ostrino::gen1
