// The Windows API headers for the program's Windows code, in the order they need. <windows.h>'s
// MessageBox macro would rename the message box interface (platform::MessageBox) in the files
// that see it, and only there; so it goes, and the Windows function is called by its own name,
// MessageBoxW.
#pragma once

// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <imm.h>
#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>
// clang-format on

#undef MessageBox
