#include "app/render_choice.h"

#include <dxgi.h>
#include <windows.h>

namespace qv::ui {

// Qt Quick draws with Direct3D 11 on the first adapter; DXGI describes it without creating a
// device. The basic render driver is Microsoft's software rasteriser (vendor 0x1414, device
// 0x8C), also flagged as a software adapter.
QString graphicsRendererName() {
    IDXGIFactory1* factory = nullptr;
    if (FAILED(CreateDXGIFactory1(__uuidof(IDXGIFactory1), reinterpret_cast<void**>(&factory))))
        return {};
    QString out;
    IDXGIAdapter1* adapter = nullptr;
    if (SUCCEEDED(factory->EnumAdapters1(0, &adapter))) {
        DXGI_ADAPTER_DESC1 desc{};
        if (SUCCEEDED(adapter->GetDesc1(&desc))) {
            const bool basic = (desc.Flags & DXGI_ADAPTER_FLAG_SOFTWARE) ||
                               (desc.VendorId == 0x1414 && desc.DeviceId == 0x8C);
            out = basic ? QStringLiteral("Microsoft Basic Render Driver")
                        : QString::fromWCharArray(desc.Description);
        }
        adapter->Release();
    }
    factory->Release();
    return out;
}

} // namespace qv::ui
