// A scripted stand-in for the capture tool, for the recorder tests. The tests link it into a
// scratch folder as "quorvel-capture" and hand that folder to the Recorder.
//
// In that folder it appends JSON lines to calls.jsonl: {"pid", "args"} when it starts, {"pid",
// "stdin"} for each line read, {"pid", "exit"} before it ends. It creates the file given as
// "--out" (as the real tool does when it starts writing) and then runs <mode>.script from the
// same folder, line by line ("wait stop" when there is none):
//   print <text>         one line on standard output; $OUT is replaced by the "--out" file
//   stderr <text>        one line on standard error
//   wait <line>          reads standard input until that line arrives or the input closes
//   frame <w> <h> <hex>  publishes a w x h frame of one colour into the "--preview" block
//   sleep <ms>
//   spew out|err <n>     n bytes "x" without a newline on standard output or error
//   record <n>           n bytes appended to the "--out" file
//   exit <code>
//   crash                ends by SIGABRT

#include "tests/recorder/preview_writer.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

std::string g_folder;

void log(nlohmann::json record) {
    record["pid"] = int(::getpid());
    const std::string line = record.dump() + "\n";
    const int fd = ::open((g_folder + "/calls.jsonl").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (fd < 0)
        return;
    // One write per record: concurrent tools append whole lines.
    [[maybe_unused]] ssize_t written = ::write(fd, line.data(), line.size());
    ::close(fd);
}

[[noreturn]] void finish(int code) {
    log({{"exit", code}});
    std::fflush(stdout);
    std::_Exit(code);
}

// The text with its "$OUT" replaced by the recording's file.
std::string withOut(std::string text, const std::string& out) {
    const std::size_t at = text.find("$OUT");
    return at == std::string::npos ? text : text.replace(at, 4, out);
}

void publish(const std::string& path, std::uint32_t width, std::uint32_t height,
             std::uint32_t pixel) {
    const int fd = ::open(path.c_str(), O_RDWR);
    if (fd < 0)
        return;
    void* map =
        ::mmap(nullptr, qv::rec::kPreviewBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    if (map == MAP_FAILED)
        return;
    qv::rectest::publishPreviewFrame(static_cast<unsigned char*>(map), width, height, pixel);
    ::munmap(map, qv::rec::kPreviewBlockSize);
}

} // namespace

int main(int argc, char** argv) {
    const std::string self = argv[0];
    g_folder = self.substr(0, self.find_last_of('/'));
    std::vector<std::string> args(argv + 1, argv + argc);
    log({{"args", args}});

    std::map<std::string, std::string> options;
    for (std::size_t i = 1; i + 1 < args.size(); ++i)
        if (args[i].rfind("--", 0) == 0)
            options[args[i]] = args[i + 1];
    if (!options["--out"].empty())
        std::ofstream(options["--out"]).flush();

    std::vector<std::string> script;
    std::ifstream in(g_folder + "/" + (args.empty() ? std::string("none") : args[0]) + ".script");
    for (std::string line; std::getline(in, line);)
        script.push_back(line);
    if (!in.is_open())
        script = {"wait stop"};

    for (const std::string& line : script) {
        const std::size_t space = line.find(' ');
        const std::string command = line.substr(0, space);
        const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
        if (command == "print") {
            std::cout << withOut(rest, options["--out"]) << std::endl;
        } else if (command == "stderr") {
            std::cerr << withOut(rest, options["--out"]) << std::endl;
        } else if (command == "wait") {
            for (std::string input; std::getline(std::cin, input);) {
                log({{"stdin", input}});
                if (input == rest)
                    break;
            }
        } else if (command == "frame") {
            unsigned width = 0, height = 0, pixel = 0;
            if (std::sscanf(rest.c_str(), "%u %u %x", &width, &height, &pixel) == 3)
                publish(options["--preview"], width, height, pixel);
        } else if (command == "sleep") {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(rest.c_str())));
        } else if (command == "spew") {
            const std::string bytes(std::size_t(std::atol(rest.c_str() + 4)), 'x');
            (rest.rfind("err", 0) == 0 ? std::cerr : std::cout) << bytes << std::flush;
        } else if (command == "record") {
            std::ofstream(options["--out"], std::ios::app)
                << std::string(std::size_t(std::atol(rest.c_str())), 'r');
        } else if (command == "crash") {
            std::abort();
        } else if (command == "exit") {
            finish(std::atoi(rest.c_str()));
        }
    }
    finish(0);
}
