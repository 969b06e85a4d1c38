#pragma once
// Shared set-up of the Backend tests: a Backend on a ScriptedTransport with short timers, and
// a small mixer document (two microphones, an application, the all-sounds source, headphones
// and the virtual microphone).

#include "backend/backend.h"
#include "tests/support/scripted_transport.h"

#include <QCoreApplication>
#include <QTest>

#include <nlohmann/json.hpp>

#include <memory>
#include <string>
#include <vector>

// QCOMPARE cannot print JSON values (and nlohmann's implicit conversions confuse its overloads).
#define QCOMPARE_JSON(actual, expected)                                                            \
    do {                                                                                           \
        const nlohmann::json qvActual_ = (actual);                                                 \
        const nlohmann::json qvExpected_ = (expected);                                             \
        QVERIFY2(qvActual_ == qvExpected_,                                                         \
                 ("got " + qvActual_.dump() + ", expected " + qvExpected_.dump()).c_str());        \
    } while (false)

namespace qv::test {

using Json = nlohmann::json;

inline Json smallMixerDocument() {
    return Json::parse(R"({
      "settings": {"hotkeys": {"pushToTalk": "ctrl+alt+vk77", "voice": "vk120"}},
      "sources": [
        {"id": "in:mic1", "kind": "physical_input", "name": "Микрофон 1"},
        {"id": "in:mic2", "kind": "physical_input", "name": "Микрофон 2"},
        {"id": "app:discord.exe", "kind": "app", "name": "Discord"},
        {"id": "system", "kind": "system", "name": "Все звуки"}
      ],
      "devices": [
        {"id": "out:hp", "kind": "physical", "name": "Наушники", "endpointId": "hp",
         "mode": "all"},
        {"id": "virtual_mic", "kind": "virtual_mic", "name": "QUORVEL Mic"}
      ]
    })");
}

struct BackendRig {
    std::unique_ptr<ScriptedTransport> transport = std::make_unique<ScriptedTransport>();
    std::unique_ptr<qv::ui::Backend> backend;

    explicit BackendRig(qv::ui::Backend::Timings timings = shortTimings()) {
        backend = std::make_unique<qv::ui::Backend>(transport.get());
        backend->setTimings(timings);
    }

    static qv::ui::Backend::Timings shortTimings() {
        qv::ui::Backend::Timings t;
        t.flushMs = 20;
        t.endpointsMs = 60000; // tests that want the endpoint timer shorten it themselves
        t.toastMs = 60000;
        t.quitTimeoutMs = 150;
        return t;
    }

    // Connects, answers the configuration request with `doc` and forgets the start-up traffic.
    void startReady(const Json& doc = smallMixerDocument()) {
        transport->connectEngine();
        for (const Json& request : transport->takeSent()) {
            if (request["cmd"] == "getConfig")
                transport->reply(request, {{"config", doc}});
            else
                transport->reply(request);
        }
    }

    // Answers every request sent so far with ok true and forgets them.
    void answerAll() {
        for (const Json& request : transport->takeSent())
            transport->reply(request);
    }

    std::string mirror() const { return qv::serializeConfig(backend->config()); }
};

} // namespace qv::test
