// Runs a copy of the built Carrack as a process, from a fresh temporary
// program folder, so that each test has its own AuditLog.
#pragma once

#include <testsupport/temp_dir.h>

#include <QByteArray>
#include <QProcessEnvironment>
#include <QStringList>

#include <cstdint>
#include <filesystem>
#include <string>

struct CarrackRun {
  bool finished = false;  // false: it hung or crashed
  int exitCode = -1;
  QByteArray out;
  QByteArray err;
};

class CarrackFolder {
public:
  CarrackFolder();  // copies Carrack into a new temporary folder

  const std::filesystem::path& folder() const { return m_dir.path(); }
  // Offscreen platform, a private runtime folder, no scripted login.
  QProcessEnvironment baseEnvironment() const;
  CarrackRun run(const QStringList& args) const { return run(args, baseEnvironment()); }
  CarrackRun run(const QStringList& args, const QProcessEnvironment& env) const;

  // Runs Carrack with its standard output and error on a pipe whose reader
  // is already gone (SIGPIPE at its default); its exit status, -1 when it
  // did not exit normally within 60 s.
  int runIntoAClosedPipe(const QStringList& args) const;

  std::filesystem::path auditLogFolder() const { return folder() / "AuditLog"; }
  // AuditLog/<today>/all.csv for the given local date text (yyyy-MM-dd).
  std::filesystem::path logFile(const std::string& day) const;

private:
  testsupport::TempDir m_dir;
  std::filesystem::path m_exe;
};

// Today's local date as yyyy-MM-dd, computed independently of the launcher.
std::string todayText();

// Whole file as bytes; empty when missing.
std::string readBytes(const std::filesystem::path& file);

// The launcher's tick clock read independently: CLOCK_BOOTTIME in ms, low
// 32 bits as signed.
std::int32_t bootTick();

// True when t lies on the wrapping 32-bit clock between from and to.
bool tickBetween(std::int32_t from, std::int32_t t, std::int32_t to);

std::string samplePath(const char* name);
