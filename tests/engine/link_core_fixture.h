#pragma once
// A LinkCore wired to a recorder of its callbacks, in a private runtime folder with a fake
// engine server on the socket. The launch check is answered on the I/O thread itself.

#include "engine/link_core.h"
#include "engine/runtime_dir.h"
#include "tests/support/framed_peer.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qv::test {

class LinkCoreTest : public ::testing::Test {
protected:
    // The callbacks in order: "connected", "status:<text>", "message:<bytes>".
    std::vector<std::string> log() const {
        std::lock_guard lock(mutex_);
        return log_;
    }
    int count(const std::string& entry) const {
        const auto all = log();
        return int(std::count(all.begin(), all.end(), entry));
    }
    // The log entries of one kind ("status:", "message:"), without the prefix.
    std::vector<std::string> entries(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& entry : log())
            if (entry.rfind(prefix, 0) == 0)
                out.push_back(entry.substr(prefix.size()));
        return out;
    }
    std::vector<std::string> statuses() const { return entries("status:"); }
    std::vector<std::string> messages() const { return entries("message:"); }

    link::LinkOptions options(bool autoStart = false, std::string interfaceDir = {}) {
        link::LinkOptions o;
        o.autoStart = autoStart;
        o.interfaceDir = std::move(interfaceDir);
        o.clock = [this] { return now.load(); };
        o.retryMs = 20;
        o.retryAfterLossMs = 10;
        return o;
    }

    void make(const link::LinkOptions& o) {
        link::LinkCallbacks callbacks;
        callbacks.connected = [this] { add("connected"); };
        callbacks.message = [this](std::string&& message) { add("message:" + message); };
        callbacks.disconnected = [this](const std::string& status) { add("status:" + status); };
        // Not through `core`: reset() empties it before the destructor stops the I/O thread.
        callbacks.checkLaunch = [this] { current_.load()->checkLaunch(); };
        core = std::make_unique<link::LinkCore>(o, std::move(callbacks));
        current_ = core.get();
    }

    // Serves on the socket, starts the core and waits until both ends hold the connection.
    void startConnected() {
        ASSERT_TRUE(server.listen());
        make(options());
        core->start();
        ASSERT_TRUE(waitUntil([&] { return server.hasClient() && core->isConnected(); }));
    }

    void TearDown() override {
        core.reset();
        server.close();
    }

    TempRuntimeDir dir;
    FakeEngineServer server{dir.file(link::kEngineSocketName)};
    std::atomic<int64_t> now{1'000'000};
    std::unique_ptr<link::LinkCore> core;

private:
    void add(std::string entry) {
        std::lock_guard lock(mutex_);
        log_.push_back(std::move(entry));
    }

    std::atomic<link::LinkCore*> current_{nullptr};
    mutable std::mutex mutex_;
    std::vector<std::string> log_;
};

} // namespace qv::test
