// The program's one event loop.

#include "platform/win32/MessageLoop.h"

#include <windows.h>

#include "platform/win32/SystemMessage.h"

int RunMessageLoop() {
    MSG message{};
    for (;;) {
        const BOOL result = GetMessageW(&message, nullptr, 0, 0);
        if (result == 0) return static_cast<int>(message.wParam);
        if (result == -1) throw LastErrorFailure();
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}
