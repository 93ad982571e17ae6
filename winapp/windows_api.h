// <windows.h> for the dialog's code. Its macros GetProfileString and
// WriteProfileString would rename the settings store's operations of the
// same names in whatever follows, so they go.
#pragma once

#include <windows.h>

#undef GetProfileString
#undef WriteProfileString
