// What the screen shows of a window, frame and caption included, against
// its committed reference picture tests/reference/<name>.png.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

::testing::AssertionResult LooksAsReference(HWND window, const char *name);
