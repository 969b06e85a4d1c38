// The preview block on Windows: a page-file backed mapping named Local\QuorvelPreview-<pid>.
//
// Such a mapping disappears with its last handle, so a name that already exists belongs to a
// process that is alive; it is refused rather than shared (a foreign object could be smaller than
// the block, or fed by somebody else).

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "recorder/preview_block.h"

namespace qv::rec {

struct PreviewBlock::Impl {
    HANDLE mapping = nullptr;
};

PreviewBlock::PreviewBlock() : d_(std::make_unique<Impl>()) {}

PreviewBlock::~PreviewBlock() {
    release();
}

bool PreviewBlock::create(unsigned long pid) {
    release();
    error_.clear();
    const std::wstring name = L"Local\\QuorvelPreview-" + std::to_wstring(pid);
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        DWORD(kPreviewBlockSize), name.c_str());
    if (!mapping) {
        error_ = "CreateFileMappingW failed: " + std::to_string(GetLastError());
        return false;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mapping);
        error_ = "the preview mapping name is taken";
        return false;
    }
    void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, kPreviewBlockSize);
    if (!view) {
        error_ = "MapViewOfFile failed: " + std::to_string(GetLastError());
        CloseHandle(mapping);
        return false;
    }
    d_->mapping = mapping;
    data_ = static_cast<unsigned char*>(view);
    name_ = "Local\\QuorvelPreview-" + std::to_string(pid);
    initPreviewHeader(data_);
    return true;
}

// A page-file section keeps its size for as long as any view of it is open.
std::size_t PreviewBlock::size() const {
    return valid() ? kPreviewBlockSize : 0;
}

void PreviewBlock::release() {
    if (data_)
        UnmapViewOfFile(data_);
    if (d_->mapping)
        CloseHandle(d_->mapping);
    d_->mapping = nullptr;
    data_ = nullptr;
    name_.clear();
}

} // namespace qv::rec
