// Wake-up events and the engine channel on Windows: the engine's named pipe in message mode, with
// overlapped reads and writes so that one thread can wait for the stop request, incoming data and
// new outgoing messages at once.

#include "engine/link_os.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <memory>

namespace qv::link::os {
namespace {

constexpr wchar_t kPipeName[] = L"\\\\.\\pipe\\QUORVEL.Engine";
constexpr DWORD kReadChunk = 65536;

// A handle that closes itself; null and INVALID_HANDLE_VALUE both mean "none".
struct Handle {
    HANDLE h = nullptr;
    Handle() = default;
    explicit Handle(HANDLE value) : h(value == INVALID_HANDLE_VALUE ? nullptr : value) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { reset(); }
    void reset(HANDLE value = nullptr) {
        if (h)
            CloseHandle(h);
        h = value == INVALID_HANDLE_VALUE ? nullptr : value;
    }
    explicit operator bool() const { return h != nullptr; }
};

} // namespace

// ---- Wakeup --------------------------------------------------------------------------------

struct Wakeup::Impl {
    Handle stop;  // manual-reset: once set, every wait sees it
    Handle write; // auto-reset: the wait that reports it also clears it
};

Wakeup::Wakeup() : d_(std::make_unique<Impl>()) {
    d_->stop.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    d_->write.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
}

Wakeup::~Wakeup() = default;

bool Wakeup::valid() const {
    return d_->stop && d_->write;
}

void Wakeup::signalStop() {
    if (d_->stop)
        SetEvent(d_->stop.h);
}

void Wakeup::signalWrite() {
    if (d_->write)
        SetEvent(d_->write.h);
}

bool Wakeup::stopped() const {
    return d_->stop && WaitForSingleObject(d_->stop.h, 0) == WAIT_OBJECT_0;
}

bool Wakeup::waitStop(int ms) {
    if (!d_->stop)
        return false;
    return WaitForSingleObject(d_->stop.h, DWORD(ms < 0 ? 0 : ms)) == WAIT_OBJECT_0;
}

// ---- Channel -------------------------------------------------------------------------------

struct Channel::Impl {
    Handle pipe;
    Handle readDone;  // manual-reset, signalled when the overlapped read completes
    Handle writeDone; // manual-reset, signalled when the overlapped write completes
    OVERLAPPED readOv{};
    bool readPending = false; // a read was issued and its result not yet collected
    std::unique_ptr<char[]> buffer;
    std::string assembly; // the pipe message being put together from several reads

    bool armRead();
    void cancelRead();
};

// Issues the next overlapped read. Completion (immediate or later) signals readDone; an
// immediate ERROR_MORE_DATA is a completed partial read as well.
bool Channel::Impl::armRead() {
    ResetEvent(readDone.h);
    readOv = OVERLAPPED{};
    readOv.hEvent = readDone.h;
    if (!ReadFile(pipe.h, buffer.get(), kReadChunk, nullptr, &readOv)) {
        const DWORD error = GetLastError();
        if (error != ERROR_IO_PENDING && error != ERROR_MORE_DATA)
            return false;
    }
    readPending = true;
    return true;
}

// The buffer and the OVERLAPPED must outlive the read: cancel it and wait until the system
// has let go of both.
void Channel::Impl::cancelRead() {
    if (!readPending)
        return;
    CancelIoEx(pipe.h, &readOv);
    DWORD transferred = 0;
    GetOverlappedResult(pipe.h, &readOv, &transferred, TRUE);
    readPending = false;
}

Channel::Channel() : d_(std::make_unique<Impl>()) {}

Channel::~Channel() {
    close();
}

OpenResult Channel::open(std::string& refusal) {
    close();
    HANDLE pipe = CreateFileW(kPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
    if (pipe == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_PIPE_BUSY ? OpenResult::Busy : OpenResult::Failed;
    d_->pipe.reset(pipe);

    // One pipe message is one engine message; in byte mode they would run together, so a
    // server that cannot give message mode is not the engine.
    DWORD mode = PIPE_READMODE_MESSAGE;
    d_->readDone.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    d_->writeDone.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr) || !d_->readDone ||
        !d_->writeDone) {
        close();
        return OpenResult::Failed;
    }
    if (!d_->buffer)
        d_->buffer = std::make_unique<char[]>(kReadChunk);
    return OpenResult::Opened;
}

void Channel::waitBusy(Wakeup&, int ms) {
    // WaitNamedPipeW cannot watch the stop event; the wait is short enough not to matter.
    WaitNamedPipeW(kPipeName, DWORD(ms < 0 ? 0 : ms));
}

bool Channel::startReading() {
    return d_->pipe && !d_->readPending && d_->armRead();
}

WriteResult Channel::write(const std::string& message, Wakeup& wake) {
    if (!d_->pipe || message.empty() || message.size() > kMaxMessageBytes)
        return WriteResult::Failed;
    ResetEvent(d_->writeDone.h);
    OVERLAPPED ov{};
    ov.hEvent = d_->writeDone.h;
    const DWORD size = DWORD(message.size());
    if (!WriteFile(d_->pipe.h, message.data(), size, nullptr, &ov)) {
        if (GetLastError() != ERROR_IO_PENDING)
            return WriteResult::Failed;
        // An engine that stops reading must not hold this thread past a stop request.
        const HANDLE events[2] = {wake.impl().stop.h, d_->writeDone.h};
        const DWORD woke = WaitForMultipleObjects(2, events, FALSE, INFINITE);
        if (woke != WAIT_OBJECT_0 + 1) {
            CancelIoEx(d_->pipe.h, &ov);
            DWORD ignored = 0;
            GetOverlappedResult(d_->pipe.h, &ov, &ignored, TRUE); // ov lives on this stack
            return woke == WAIT_OBJECT_0 ? WriteResult::Stopped : WriteResult::Failed;
        }
    }
    DWORD written = 0;
    if (!GetOverlappedResult(d_->pipe.h, &ov, &written, FALSE) || written != size)
        return WriteResult::Failed;
    return WriteResult::Done;
}

WaitResult Channel::wait(Wakeup& wake) {
    if (!d_->pipe || !d_->readPending)
        return WaitResult::Failed;
    // The order gives the contract's priority: a set stop wins over data, data over writing.
    const HANDLE events[3] = {wake.impl().stop.h, d_->readDone.h, wake.impl().write.h};
    switch (WaitForMultipleObjects(3, events, FALSE, INFINITE)) {
    case WAIT_OBJECT_0:
        return WaitResult::Stop;
    case WAIT_OBJECT_0 + 1:
        return WaitResult::Read;
    case WAIT_OBJECT_0 + 2:
        return WaitResult::Write;
    default:
        return WaitResult::Failed;
    }
}

bool Channel::read(const std::function<void(std::string&&)>& deliver) {
    if (!d_->pipe || !d_->readPending)
        return false;
    DWORD got = 0;
    const BOOL complete = GetOverlappedResult(d_->pipe.h, &d_->readOv, &got, FALSE);
    const DWORD error = complete ? ERROR_SUCCESS : GetLastError();
    // Not expected once readDone is set; the read stays marked pending so that close() cancels
    // it before its buffer goes away.
    if (error == ERROR_IO_INCOMPLETE)
        return false;
    d_->readPending = false;
    if (!complete && error != ERROR_MORE_DATA)
        return false; // broken pipe or another error: the engine is gone
    // A message is only bounded by the engine's good behaviour; a broken one could otherwise
    // make the interface allocate until it fails.
    if (got > kMaxMessageBytes - d_->assembly.size()) {
        std::string().swap(d_->assembly);
        return false;
    }
    d_->assembly.append(d_->buffer.get(), got);
    if (complete && !d_->assembly.empty()) {
        deliver(std::move(d_->assembly));
        d_->assembly.clear(); // a moved-from string is valid but unspecified
    }
    return d_->armRead();
}

void Channel::close() {
    if (d_->pipe) {
        d_->cancelRead();
        d_->pipe.reset();
    }
    d_->readPending = false;
    d_->readDone.reset();
    d_->writeDone.reset();
    std::string().swap(d_->assembly);
}

} // namespace qv::link::os
