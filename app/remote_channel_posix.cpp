#include "app/remote_channel.h"

#include "engine/runtime_dir.h"

namespace qv::ui {

ChannelName controlChannelName(bool demo) {
    const link::RuntimeDir dir = link::runtimeDir();
    ChannelName out;
    out.name = dir.path + (demo ? "/QUORVEL.UI.Control.Demo" : "/QUORVEL.UI.Control");
    out.error = dir.error;
    return out;
}

void attachParentConsole() {}

} // namespace qv::ui
