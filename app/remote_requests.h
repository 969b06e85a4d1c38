#pragma once
// What the control channel does with one request line (see remote_verbs.h for the forms).
// Changes go through the Backend's invokables, the ones the window's controls call, so they
// are checked, merged, sent and shown exactly like clicks; a refusal answers with the same
// Russian text the toast shows.

#include <QByteArray>

#include <nlohmann/json.hpp>

namespace qv::ui {

class Backend;

// The answer object: {"ok": true, "result": ...} or {"ok": false, "error": text}. Never throws;
// any line that is not a known request gets an error answer.
nlohmann::json answerControlRequest(Backend& backend, const QByteArray& line);

// The answer to a line longer than the channel accepts.
nlohmann::json oversizedRequestAnswer();

} // namespace qv::ui
