#pragma once
// The operating-system primitives under the engine link.
//
// THE INTERFACE IS STABLE. The POSIX files (*_posix.cpp) and the Windows files (*_win.cpp)
// implement exactly what is declared here; link_core.cpp uses nothing else from the system.
// Change history: none since it was settled.
//
// Contract, in the order the core uses it:
//
//   Wakeup       Two wake-up signals owned by the core. "stop" is set once (destructor) and
//                stays set; "write" is set by every send and is cleared by the Channel::wait
//                that reports it (auto-reset). Both may be signalled from any thread.
//   Channel      One client connection to the engine. open() tries once; on Opened the core
//                calls startReading() once, then alternates write() (one whole message each)
//                and wait() until something ends the connection; read() is called only after
//                wait() returned Read. The destructor cancels a pending read, waits for the
//                cancellation and closes everything. A Channel is used by one thread only.
//   MeterView    A read-only view of the engine's meters block (kMeterBlockSize bytes).
//   engine*      Where the engine executable is and how it is started, detached.
//
// Threads: Wakeup::signal* and Wakeup::stopped are thread-safe; everything else is called from
// one thread at a time (Channel by the I/O thread, MeterView and the engine functions by the
// owner's thread). Nothing here throws; failures are return values.
//
// Messages: every message handed to Channel::write is non-empty and at most kMaxMessageBytes
// (the core guarantees it). Channel::read delivers each complete message exactly once, whole,
// in order; an incoming message larger than kMaxMessageBytes (or any framing error) makes
// read() return false, which ends the connection.

#include "engine/framing.h"
#include "engine/meter_block.h"

#include <functional>
#include <memory>
#include <string>

namespace qv::link::os {

class Channel;

class Wakeup {
public:
    Wakeup();
    ~Wakeup();
    Wakeup(const Wakeup&) = delete;
    Wakeup& operator=(const Wakeup&) = delete;

    // False when the system objects could not be created; the core then never connects.
    bool valid() const;
    void signalStop();  // sets "stop" for good
    void signalWrite(); // sets "write" until a Channel::wait reports it
    bool stopped() const;
    // Waits at most `ms` milliseconds for "stop"; true when it is set.
    bool waitStop(int ms);

    struct Impl; // defined by the OS files; Channel reaches it through impl()
    Impl& impl() const { return *d_; }

private:
    std::unique_ptr<Impl> d_;
};

enum class OpenResult {
    Opened, // connected; the channel is ready for startReading()
    Busy,   // the engine exists but cannot take a client now: call waitBusy, then retry
    Failed, // anything else (no engine, refused, error)
};

enum class WaitResult {
    Stop,  // "stop" is set
    Read,  // incoming data (or end of stream / an error) is ready: call read()
    Write, // "write" was set (and is now cleared): write what is queued
    Failed // the wait itself failed: the connection ends
};

enum class WriteResult {
    Done,    // the whole message has been handed to the system
    Stopped, // "stop" was set while the write waited; the connection ends
    Failed   // any error (peer gone, broken pipe); the connection ends
};

class Channel {
public:
    Channel();
    ~Channel();
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    // Tries once to connect to the engine's message channel. On Failed, `refusal` may receive a
    // status text for the user (for example an unsafe runtime folder on POSIX); when it stays
    // empty the engine is simply not there and the core may start it.
    OpenResult open(std::string& refusal);
    // After Busy: waits up to `ms` milliseconds for the channel to become available, returning
    // early when "stop" is set where the system allows it.
    static void waitBusy(Wakeup& wake, int ms);

    // Starts receiving (on Windows: the first overlapped read). False ends the connection.
    bool startReading();
    // Writes one whole message. Waits for it to be handed over, watching "stop" meanwhile, so
    // a peer that never reads cannot hold the thread. Does not clear "write".
    WriteResult write(const std::string& message, Wakeup& wake);
    // Waits without time limit for "stop", incoming data or "write". When several are ready,
    // reports the first of Stop, Read, Write.
    WaitResult wait(Wakeup& wake);
    // Completes the ready read: hands each complete message to `deliver` (in order, moved out),
    // keeps a partial message for later and re-arms reading. False ends the connection (end of
    // stream, error, message over kMaxMessageBytes or a framing error).
    bool read(const std::function<void(std::string&& message)>& deliver);
    // Cancels pending I/O and closes; the destructor does the same. Safe to call twice.
    void close();

    struct Impl;

private:
    std::unique_ptr<Impl> d_;
};

// The engine's meters block, mapped read-only.
class MeterView {
public:
    MeterView();
    ~MeterView();
    MeterView(const MeterView&) = delete;
    MeterView& operator=(const MeterView&) = delete;

    // Opens and maps the whole block. False when it is missing, shorter than kMeterBlockSize
    // or cannot be mapped; the view then stays closed.
    bool open();
    void close();
    bool isOpen() const { return data_ != nullptr; }
    // Whether the whole block is still there to be read. The engine's file can be truncated
    // under the mapping (POSIX), and reading past its end would fault: asked before each read.
    bool whole() const;
    // kMeterBlockSize bytes written concurrently by the engine; null while closed.
    const unsigned char* data() const { return data_; }

    struct Impl;

private:
    std::unique_ptr<Impl> d_;
    const unsigned char* data_ = nullptr;
};

// The engine executable's file name, as the status texts show it.
const char* engineFileName();
// The engine executable for an interface living in `interfaceDir`: interfaceDir + "/" + name,
// else interfaceDir + "/../bin/" + name; the first that exists, cleaned (no "..") and with
// native separators. Empty when neither exists.
std::string findEngineExecutable(const std::string& interfaceDir);
// Starts `path` detached: no arguments, working folder its own folder, its own session or
// process group, never waited for. 0 on success, else the system error code.
int startEngineProcess(const std::string& path);

} // namespace qv::link::os
