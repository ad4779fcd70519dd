#pragma once
// Serving one request message: the client names its shared request area by a global
// atom; the server opens the area by that name and works through it in place.

#include <cstdint>

class SimServerCore;

constexpr uint32_t kRequestAreaSize = 0x8000;
constexpr uint32_t kRejectedReply = 0;  // anything but 1 tells the client "bad data"

// The 16-bit atom carried in wParam, zero- or sign-extended; 0 when wParam holds
// anything else.
uint16_t AtomFromParam(uintptr_t wParam);

// Works through the area that the atom in `wParam` names and returns the reply value.
// Bad atoms, missing or unwritable mappings give kRejectedReply; the core never sees
// more than the smaller of the mapped size and the area size.
uint32_t ServeAreaRequest(SimServerCore& core, uintptr_t wParam);
