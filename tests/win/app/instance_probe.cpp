// A second interface process for the single-instance tests, doing one thing per run:
//   instance_probe claim   claims the instance mutex and exits: 10 owned, 11 already running,
//                          12 failed
//   instance_probe hold    claims it, writes the same code as a line, and holds it until its
//                          standard input closes (or the test terminates it)
//   instance_probe show    broadcasts the show request and exits 0

#include "app/single_instance_win32.h"

#include <cstdio>
#include <cstring>

namespace {

int code(qv::instance::InstanceMutex::Claim claim) {
    using Claim = qv::instance::InstanceMutex::Claim;
    return claim == Claim::Owned ? 10 : claim == Claim::AlreadyRunning ? 11 : 12;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    if (std::strcmp(argv[1], "claim") == 0) {
        qv::instance::InstanceMutex mutex;
        return code(mutex.claim());
    }
    if (std::strcmp(argv[1], "hold") == 0) {
        qv::instance::InstanceMutex mutex;
        std::printf("%d\n", code(mutex.claim()));
        std::fflush(stdout);
        while (std::fgetc(stdin) != EOF) {
        }
        return 0;
    }
    if (std::strcmp(argv[1], "show") == 0) {
        qv::instance::broadcastShowRequest();
        return 0;
    }
    return 2;
}
