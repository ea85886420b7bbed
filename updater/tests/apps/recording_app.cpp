// A stand-in for the application program in the updater's end-to-end tests.
// Each start appends "start <arguments>" to starts.log beside the executable;
// SIGTERM appends "stop" and ends it with 0 (as an application that saves its
// data would). It ends by itself after two minutes, so it never lingers.
#include <cerrno>
#include <chrono>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include <signal.h>
#include <time.h>

namespace {

constexpr int kLifetimeSeconds = 120;

// SIGTERM is blocked from the start (before the start record) and taken
// with sigtimedwait, so the wait ends on the signal itself.
sigset_t terminateSet() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  return set;
}

// Blocks until SIGTERM arrives (true) or the lifetime is over (false).
bool awaitTerminate(const sigset_t& set) {
  using namespace std::chrono;
  const auto deadline = steady_clock::now() + seconds(kLifetimeSeconds);
  for (;;) {
    const nanoseconds left = deadline - steady_clock::now();
    if (left <= nanoseconds::zero()) return false;
    const seconds whole = duration_cast<seconds>(left);
    const timespec wait{static_cast<time_t>(whole.count()),
                        static_cast<long>((left - whole).count())};
    const int signal = sigtimedwait(&set, nullptr, &wait);
    if (signal == SIGTERM) return true;
    if (signal < 0 && errno != EINTR) return false;
  }
}

void record(const std::filesystem::path& log, const std::string& line) {
  std::ofstream out(log, std::ios::app);
  out << line << '\n';
}

}  // namespace

int main(int argc, char* argv[]) {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  const std::filesystem::path log =
      (ec ? std::filesystem::path(argv[0]) : self).parent_path() / "starts.log";

  const sigset_t stopSignal = terminateSet();
  sigprocmask(SIG_BLOCK, &stopSignal, nullptr);
  std::string line = "start";
  for (int i = 1; i < argc; ++i) line += std::string(" ") + argv[i];
  record(log, line);

  if (awaitTerminate(stopSignal)) record(log, "stop");
  return 0;
}
