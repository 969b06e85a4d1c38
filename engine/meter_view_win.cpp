// The meters block on Windows: the engine's file mapping Local\QUORVEL.Meters, mapped read-only.

#include "engine/link_os.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace qv::link::os {

struct MeterView::Impl {
    HANDLE mapping = nullptr;
    void* view = nullptr;
};

MeterView::MeterView() : d_(std::make_unique<Impl>()) {}

MeterView::~MeterView() {
    close();
}

bool MeterView::open() {
    close();
    HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, L"Local\\QUORVEL.Meters");
    if (!mapping)
        return false;
    // Mapping more than the section holds fails, so a short block is refused here rather than
    // faulting later.
    void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, kMeterBlockSize);
    if (!view) {
        CloseHandle(mapping);
        return false;
    }
    d_->mapping = mapping;
    d_->view = view;
    data_ = static_cast<const unsigned char*>(view);
    return true;
}

// A section keeps its size while a view of it is open.
bool MeterView::whole() const {
    return data_ != nullptr;
}

void MeterView::close() {
    if (d_->view)
        UnmapViewOfFile(d_->view);
    if (d_->mapping)
        CloseHandle(d_->mapping);
    d_->view = nullptr;
    d_->mapping = nullptr;
    data_ = nullptr;
}

} // namespace qv::link::os
