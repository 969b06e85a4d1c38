#pragma once
// Which scene graph draws the windows. On a machine whose only graphics is a software
// rasteriser (Mesa llvmpipe or softpipe in a virtual machine or over a remote desktop, the
// "Microsoft Basic Render Driver" on Windows) the GPU path renders every frame of the whole
// window on the CPU; Qt Quick's software scene graph repaints only what changed and costs a
// fraction of that. So the software scene graph is chosen there, unless the user asked for a
// backend himself (QT_QUICK_BACKEND or QSG_RHI_BACKEND set).

#include <QString>

namespace qv::ui {

// The graphics adapter's renderer name when the platform can tell cheaply, else empty
// (render_choice_posix.cpp asks OpenGL, render_choice_win.cpp asks DXGI). Needs the
// QGuiApplication.
QString graphicsRendererName();

// True for the names of software rasterisers.
bool isSoftwareRasteriser(const QString& rendererName);

// Picks the software scene graph when it should be used; call before any window exists.
// Returns what it chose, for the start-up log: "user", "software (<renderer>)" or "default".
QString chooseSceneGraph();

} // namespace qv::ui
