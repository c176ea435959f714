#pragma once
// The window classes of the program's own child windows.

#include <windows.h>

namespace corvane {

// Registers the class NAME with PROCEDURE, the arrow cursor and BACKGROUND (none: the
// window paints all of itself). A class registered before stays as it is.
void RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, HBRUSH background = nullptr);

}  // namespace corvane
