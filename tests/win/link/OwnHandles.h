#pragma once
// How many handles this process holds, for tests that must leak none.

#include <cstddef>

// The number of open handles of the calling process, or 0 when the system will not say.
size_t OwnHandleCount();
