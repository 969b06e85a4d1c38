#include "cable/runas_win.h"

#include <objbase.h>
#include <shellapi.h>

namespace qv::cable {

HANDLE holdFileForStart(const std::wstring& file) {
    const HANDLE handle =
        CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return handle;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
        CloseHandle(handle);
        return INVALID_HANDLE_VALUE;
    }
    return handle;
}

ElevatedStart startElevated(const std::wstring& file, const std::wstring& parameters,
                            const std::wstring& folder) {
    // The shell may hand the verb to COM-based extensions; they need an initialised apartment.
    // On the GUI thread Qt has one already (S_FALSE, or RPC_E_CHANGED_MODE: keep it as it is).
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    // NO_UI: a failure comes back as an error code, which the setup puts in its own message,
    // instead of the shell's modal box (the elevation prompt is not affected).
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"runas";
    info.lpFile = file.c_str();
    info.lpParameters = parameters.c_str();
    info.lpDirectory = folder.c_str();
    info.nShow = SW_SHOWNORMAL;

    ElevatedStart result;
    if (ShellExecuteExW(&info)) {
        result.process = info.hProcess;
    } else {
        result.error = GetLastError();
        if (result.error == 0) // a failure must never read as a start
            result.error = ERROR_GEN_FAILURE;
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return result;
}

} // namespace qv::cable
