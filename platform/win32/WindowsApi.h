#pragma once
// <windows.h> as this program's Win32 code uses it. The SDK's MessageBox macro would
// rename the Dialogs::MessageBox member in the files that include it, so it goes; the
// code calls MessageBoxW by name.

#include <windows.h>

#ifdef MessageBox
#undef MessageBox
#endif
