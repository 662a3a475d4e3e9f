#pragma once
#include <QString>

// Whether the client can show its windows: the windowing platform chosen
// (QT_QPA_PLATFORM, possibly several candidates separated by ";", each with
// its own ":options"; empty for the default) has a screen to draw on. The
// X11 platform needs DISPLAY, Wayland needs WAYLAND_DISPLAY, the default
// either of them; "offscreen" and "minimal" have no screen a person sees,
// so the client's dialogs could never be answered there.
bool DisplayUsable(const QString& platform, bool hasX11Display, bool hasWaylandDisplay);

// The same for the running process's environment.
bool DisplayUsable();

// The one line a program prints, before it ends, when it has no display:
// what is missing and where to run it instead.
QString NoDisplayMessage(const QString& program);
