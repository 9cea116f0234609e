// The platform's modal message box. Texts are CP932. Headless, or until the
// drawn boxes take over, the caption and text go to standard error in UTF-8
// and the answer comes from TARVOLIN4_ANSWERS (No / Cancel / OK without one).
#pragma once

#include <string_view>

#include "platform/win_types.h"

int MessageBoxA(HWND hOwner, std::string_view cp932Text, std::string_view cp932Caption, UINT type);

// The drawn form of the boxes registers itself here; null puts the headless
// form back.
typedef int (*MESSAGEBOXDRIVER)(HWND hOwner, std::string_view cp932Text, std::string_view cp932Caption, UINT type);
void SetMessageBoxDriver(MESSAGEBOXDRIVER pfn);
