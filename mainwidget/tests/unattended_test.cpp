// The unattended audit's two outputs, as a caller of RunNoUI sees them on
// its file descriptors: the findings CSV on standard output, notes and the
// summary on standard error. Findings that cannot be written are an error
// of their own (exit code 3), and no control character from a design file
// reaches standard error.
#include <gkmainwidget/gkcammanage.h>

#include "designaudit.h"
#include "findingscsv.h"

#include "samples.h"

#include <testsupport/file_bytes.h>
#include <testsupport/temp_dir.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <string>

namespace {

// Points a standard stream's descriptor at another file while it lives;
// what the stream buffered is flushed before and after.
class Redirect {
public:
  Redirect(std::FILE* stream, int target) : m_stream(stream), m_fd(::fileno(stream)) {
    std::fflush(m_stream);
    m_saved = ::dup(m_fd);
    ::dup2(target, m_fd);
  }
  ~Redirect() {
    std::fflush(m_stream);
    std::clearerr(m_stream);
    ::dup2(m_saved, m_fd);
    ::close(m_saved);
  }
  Redirect(const Redirect&) = delete;
  Redirect& operator=(const Redirect&) = delete;

private:
  std::FILE* m_stream;
  int m_fd;
  int m_saved = -1;
};

struct Outcome {
  int exitCode;
  std::string err;  // standard error, byte for byte
};

// RunNoUI with standard output on out and standard error in a file.
Outcome runNoUI(const QString& design, int out) {
  testsupport::TempDir dir;
  const std::string errPath = dir.str() + "/err";
  const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  EXPECT_GE(err, 0);
  int code = -1;
  {
    Redirect toErr(stderr, err);
    Redirect toOut(stdout, out);
    code = GkCamManage::GetInstance()->RunNoUI(design, QStringLiteral("t"));
  }
  ::close(err);
  return Outcome{code, testsupport::fileBytes(errPath)};
}

}  // namespace

// A full disk: nothing of the CSV arrived, which standard error says, and
// the exit code is 3 whatever the audit found. A reader that closed the
// pipe early went away by its own choice: the audit's code stands. A file
// gets the whole CSV.
TEST(RunNoUI, FindingsThatCannotBeWrittenAreReportedWithExitCodeThree) {
  const int full = ::open("/dev/full", O_WRONLY);
  ASSERT_GE(full, 0);
  for (const char* sample : {"violations.json", "clean.json"}) {
    SCOPED_TRACE(sample);
    const Outcome r = runNoUI(samplePath(sample), full);
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("cannot write the findings to standard output"), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("audit \"t\": "), std::string::npos) << r.err;
  }
  ::close(full);

  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  ::close(fds[0]);
  void (*before)(int) = std::signal(SIGPIPE, SIG_IGN);
  const Outcome gone = runNoUI(samplePath("violations.json"), fds[1]);
  std::signal(SIGPIPE, before);
  ::close(fds[1]);
  EXPECT_EQ(gone.exitCode, 1);

  testsupport::TempDir dir;
  const std::string outPath = dir.str() + "/out.csv";
  const int file = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(file, 0);
  const Outcome written = runNoUI(samplePath("violations.json"), file);
  ::close(file);
  EXPECT_EQ(written.exitCode, 1);
  EXPECT_EQ(written.err.find("cannot write"), std::string::npos) << written.err;
  const AuditReport report = auditDesignFile(samplePath("violations.json"));
  EXPECT_EQ(testsupport::fileBytes(outPath),
            findingsCsv(report.design, report.result.findings).toStdString());
}

// A board whose version is a terminal escape sequence (set the title,
// clear the screen, a C1 control introducer): the reason quotes it with
// every control character replaced, and only line ends remain.
TEST(RunNoUI, NoControlCharacterFromTheFileReachesStandardError) {
  testsupport::TempDir dir;
  const std::string path = dir.str() + "/escape.kicad_pcb";
  {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs(
        "(kicad_pcb (version \"\x1b]2;pwned\x07\x1b[2J\xc2\x9b"
        "31mOK\x7f\") "
        "(layers (0 \"F.Cu\" signal)))",
        f);
    std::fclose(f);
  }
  const int null = ::open("/dev/null", O_WRONLY);
  ASSERT_GE(null, 0);
  const Outcome r = runNoUI(QString::fromStdString(path), null);
  ::close(null);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("pwned"), std::string::npos) << r.err;
  for (std::size_t i = 0; i < r.err.size(); ++i) {
    const auto c = static_cast<unsigned char>(r.err[i]);
    EXPECT_FALSE((c < 0x20 && c != '\n') || c == 0x7f) << "byte " << int(c) << " at " << i;
    // C1 controls, U+0080..U+009F, are C2 80..C2 9F in UTF-8.
    if (c == 0xc2 && i + 1 < r.err.size()) {
      const auto next = static_cast<unsigned char>(r.err[i + 1]);
      EXPECT_FALSE(next >= 0x80 && next <= 0x9f) << "C1 control at " << i;
    }
  }
}
