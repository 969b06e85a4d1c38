#pragma once
// The first graphics adapter as Qt Quick's Direct3D 11 backend would take it, without Qt.

#include <string>

namespace qv::render {

// The adapter's description from DXGI, "Microsoft Basic Render Driver" for Microsoft's software
// rasteriser, empty when DXGI has no adapter (no graphics driver at all).
std::wstring firstAdapterName();

} // namespace qv::render
