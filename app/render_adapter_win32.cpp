#include "app/render_adapter_win32.h"

#include <dxgi.h>
#include <windows.h>

namespace qv::render {

// DXGI describes the adapter without creating a device. The basic render driver is flagged as
// a software adapter; older systems tell it only by its ids (vendor 0x1414, device 0x8C).
std::wstring firstAdapterName() {
    IDXGIFactory1* factory = nullptr;
    if (FAILED(CreateDXGIFactory1(__uuidof(IDXGIFactory1), reinterpret_cast<void**>(&factory))))
        return {};
    std::wstring out;
    IDXGIAdapter1* adapter = nullptr;
    if (SUCCEEDED(factory->EnumAdapters1(0, &adapter))) {
        DXGI_ADAPTER_DESC1 desc{};
        if (SUCCEEDED(adapter->GetDesc1(&desc))) {
            const bool basic = (desc.Flags & DXGI_ADAPTER_FLAG_SOFTWARE) ||
                               (desc.VendorId == 0x1414 && desc.DeviceId == 0x8C);
            out = basic ? std::wstring(L"Microsoft Basic Render Driver")
                        : std::wstring(desc.Description);
        }
        adapter->Release();
    }
    factory->Release();
    return out;
}

} // namespace qv::render
