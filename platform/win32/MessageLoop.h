#pragma once
// The program's one event loop.

// Dispatches the thread's messages until WM_QUIT and returns its exit code.
int RunMessageLoop();
