// A small program that the process-control tests start, find, lock with and
// stop. Its one argument is "<mode>|<report file>":
//   touch  writes "started" to the report file and ends;
//   sleep  writes "ready", then sleeps until stopped (at most 60 s);
//   lock   takes the single-instance lock and writes "held" (then sleeps as
//          above, holding it) or "refused" (and ends).
// The report is written under another name and then renamed, so a reader
// never sees half of it.
#include "processplatform.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

// Upper bound of a child's life: a test that fails to stop it leaves nothing
// running for long.
constexpr int kMaxLifeSeconds = 60;

void report(const std::string& path, const char* text) {
  const std::filesystem::path target = std::filesystem::u8path(path);
  const std::filesystem::path part = target.string() + ".part";
  std::ofstream(part, std::ios::binary) << text;
  std::filesystem::rename(part, target);
}

void sleepUntilStopped() { std::this_thread::sleep_for(std::chrono::seconds(kMaxLifeSeconds)); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string arg = argv[1];
  const std::size_t bar = arg.find('|');
  if (bar == std::string::npos) return 2;
  const std::string mode = arg.substr(0, bar);
  const std::string file = arg.substr(bar + 1);
  if (mode == "touch") {
    report(file, "started");
  } else if (mode == "sleep") {
    report(file, "ready");
    sleepUntilStopped();
  } else if (mode == "lock") {
    if (!processplatform::checkSingleInstance()) {
      report(file, "refused");
      return 0;
    }
    report(file, "held");
    sleepUntilStopped();
  } else {
    return 2;
  }
  return 0;
}
