// The screen's DPI for a window, and the system metrics and frames at a DPI. The per-monitor
// functions came with Windows 10 1607; they are looked up at run time, and where they are missing
// the system's one DPI (GetDeviceCaps) stands in.
#pragma once
#include "core/dpi.h"
#include "platform/win.h"

namespace bivane {

// The DPI of the monitor w lies on (GetDpiForWindow), else the system's.
int WindowDpi(HWND w);
int SystemDpi();
// GetSystemMetricsForDpi, else the system's metric scaled from the system's DPI.
int MetricForDpi(int index, int dpi);
// The outer size of a window whose client area is clientW by clientH at dpi.
SIZE OuterSizeForDpi(int clientW, int clientH, DWORD style, DWORD exStyle, int dpi);
// The suggested rectangle of a WM_DPICHANGED, taken as it is.
void MoveToSuggested(HWND w, const RECT& suggested);

}  // namespace bivane
