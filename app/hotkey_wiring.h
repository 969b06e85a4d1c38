#pragma once
// The global hotkeys' connections to the Backend and the tray.

namespace qv::ui {

class Backend;
class HotkeyService;
class Tray;

// Makes the three connections, all with `keys` as context:
// - Backend::changed hands the settings' "hotkeys" map to the service. The first time per run
//   that the Backend is connected and ready with a push-to-talk key bound, an open microphone
//   is muted, so push-to-talk starts closed (later changes and reconnections leave it alone).
// - triggered: "pushToTalk" opens the microphone while held and closes it on release;
//   "micMute", "voice" and "showWindow" act on the press only.
// - captured: stores the new binding; a new push-to-talk key also mutes and says how it works.
void wireHotkeys(Backend& backend, HotkeyService& keys, Tray& tray);

} // namespace qv::ui
