#pragma once
// The system's own description of an error code, as shown in the error reports.

#include <cstdint>
#include <string>

#include "platform/PlatformFailure.h"

// The text Windows gives for `code`, without the trailing line break; a plain
// "Error <code>" when the system has no text for it.
std::wstring SystemMessageText(uint32_t code);

// A PlatformFailure for `code` carrying the system's description.
PlatformFailure FailureFor(uint32_t code);

// A PlatformFailure for the calling thread's last error.
PlatformFailure LastErrorFailure();
