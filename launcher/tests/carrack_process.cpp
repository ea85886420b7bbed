#include "carrack_process.h"

#include <QDate>
#include <QProcess>

#include <csignal>
#include <ctime>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>
#include <fstream>
#include <sstream>

CarrackFolder::CarrackFolder() : m_exe(m_dir.path() / "Carrack") {
  std::filesystem::copy_file(CARRACK_EXE, m_exe);
}

QProcessEnvironment CarrackFolder::baseEnvironment() const {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  const std::filesystem::path runtime = m_dir.path() / "xdg-runtime";
  std::filesystem::create_directories(runtime);
  std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
  env.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.string()));
  env.remove("GK_LOGIN_SCRIPT");
  return env;
}

CarrackRun CarrackFolder::run(const QStringList& args, const QProcessEnvironment& env) const {
  QProcess p;
  p.setProcessEnvironment(env);
  p.setWorkingDirectory(QString::fromStdString(m_dir.str()));
  p.start(QString::fromStdString(m_exe.string()), args);
  CarrackRun r;
  // A guard against a hang (for example an event loop nobody ends), not a
  // speed target.
  r.finished =
      p.waitForStarted(30000) && p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit;
  if (!r.finished) {
    p.kill();
    p.waitForFinished(5000);
  }
  r.exitCode = p.exitCode();
  r.out = p.readAllStandardOutput();
  r.err = p.readAllStandardError();
  return r;
}

int CarrackFolder::runIntoAClosedPipe(const QStringList& args) const {
  std::vector<std::string> argStrings{m_exe.string()};
  for (const QString& a : args) argStrings.push_back(a.toLocal8Bit().toStdString());
  std::vector<std::string> envStrings;
  for (const QString& e : baseEnvironment().toStringList())
    envStrings.push_back(e.toLocal8Bit().toStdString());
  std::vector<char*> argv, envp;
  for (std::string& a : argStrings) argv.push_back(a.data());
  for (std::string& e : envStrings) envp.push_back(e.data());
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  int fds[2];
  if (::pipe(fds) != 0) return -1;
  ::close(fds[0]);  // no reader: every write fails
  // Everything the child needs is ready before the fork: between fork and
  // exec it only calls what is safe in a copy of a threaded process.
  const std::string workingFolder = m_dir.str();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::signal(SIGPIPE, SIG_DFL);  // as a shell would start it
    ::dup2(fds[1], 1);
    ::dup2(fds[1], 2);
    if (::chdir(workingFolder.c_str()) != 0) ::_exit(126);
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  ::close(fds[1]);
  if (pid < 0) return -1;
  int status = 0;
  for (int waited = 0; waited < 600; ++waited) {  // a guard against a hang
    if (::waitpid(pid, &status, WNOHANG) == pid)
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    ::usleep(100000);
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, &status, 0);
  return -1;
}

std::filesystem::path CarrackFolder::logFile(const std::string& day) const {
  return auditLogFolder() / day / "all.csv";
}

std::string todayText() { return QDate::currentDate().toString("yyyy-MM-dd").toStdString(); }

std::string readBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::int32_t bootTick() {
  timespec ts{};
  clock_gettime(CLOCK_BOOTTIME, &ts);
  const std::int64_t ms = static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
  std::int64_t low = ms % 4294967296LL;
  if (low >= 2147483648LL) low -= 4294967296LL;
  return static_cast<std::int32_t>(low);
}

bool tickBetween(std::int32_t from, std::int32_t t, std::int32_t to) {
  const auto span = static_cast<std::uint32_t>(to) - static_cast<std::uint32_t>(from);
  const auto offset = static_cast<std::uint32_t>(t) - static_cast<std::uint32_t>(from);
  return offset <= span;
}

std::string samplePath(const char* name) { return std::string(GK_SAMPLES_DIR) + "/" + name; }
