#pragma once
// The control options of the command line (--status, --mute NAME, ...). A process started with
// one of them is only a client of the running interface: it sends one request over the control
// channel, prints the answer and ends. The request is one line of JSON:
//   {"verb": "status"}
//   {"verb": "mute" | "unmute" | "toggle-mute", "name": NAME}
//   {"verb": "gain", "name": NAME, "db": number}
//   {"verb": "scene", "name": NAME}
//   {"verb": "voice", "mode": "on" | "off" | "toggle"}
// and the answer is one line too: {"ok": true, "result": ...} or {"ok": false, "error": text}.

#include <QString>
#include <QStringList>

#include <nlohmann/json.hpp>

class QCommandLineParser;

namespace qv::ui {

// Adds the seven control options to `parser` (long names only, like the start options).
void addVerbOptions(QCommandLineParser& parser);

// True when `arguments` (the whole command line, program first) name a control option, so the
// process must not become an interface. Decided before any application object exists.
bool wantsRemoteVerb(const QStringList& arguments);

struct VerbRequest {
    nlohmann::json request; // the line to send, when `error` is empty
    QString error;          // a Russian text: the command line asks for nothing that can be sent
};

// Builds the request from a parser that has processed the command line: exactly one control
// option, a gain written NAME=DB with a point or a comma, a voice mode of on, off or toggle.
VerbRequest readVerbRequest(const QCommandLineParser& parser);

// "-6,5", "-6.5", "+3", "0": the decibels; false for anything else (also inf and nan).
bool parseDecibels(const QString& text, double& db);

} // namespace qv::ui
