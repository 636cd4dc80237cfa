#include "ui/desktop/ModalLoopStack.h"

namespace ui {

bool ModalLoopStack::EndInnermostIfDone() {
    if (loops_.empty())
        return false;
    Loop& innermost = *loops_.back();
    if (innermost.ending || !innermost.done())
        return false;
    innermost.ending = true;
    innermost.end();
    return true;
}

}  // namespace ui
