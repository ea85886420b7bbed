// A stand-in for the application program in the updater's end-to-end tests.
// Each start appends "start <arguments>" to starts.log beside the executable;
// SIGTERM appends "stop" and ends it with 0 (as an application that saves its
// data would). It ends by itself after two minutes, so it never lingers.
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_stopRequested = 0;
void onTerminate(int) { g_stopRequested = 1; }

constexpr int kPollMs = 20;
constexpr int kLifetimeMs = 120000;

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

  std::signal(SIGTERM, onTerminate);
  std::string line = "start";
  for (int i = 1; i < argc; ++i) line += std::string(" ") + argv[i];
  record(log, line);

  for (int waited = 0; waited < kLifetimeMs && !g_stopRequested; waited += kPollMs)
    ::usleep(kPollMs * 1000);
  if (g_stopRequested) record(log, "stop");
  return 0;
}
