// The updater's settings: SettingsFile reads one INI file, UpdateSettings is
// the process-wide record filled from "updata.ini" beside the executable.
// Nothing is ever written back to the file.
#pragma once

#include <QString>
#include <QVariant>
#include <QtGlobal>

#include <memory>

class QSettings;

// Owns one INI reader for one file. A missing file reads as empty.
class SettingsFile {
public:
  // An empty path means "updata.ini" in the application folder.
  explicit SettingsFile(const QString& path = QString());
  ~SettingsFile();
  SettingsFile(const SettingsFile&) = delete;
  SettingsFile& operator=(const SettingsFile&) = delete;

  // The value stored under "group/key", or `defaultValue` when there is none.
  // Group and key are matched exactly first, then without regard to case
  // (settings files are written for a system whose INI keys ignore case).
  // A value that the INI reader split at commas is joined back with ",".
  QVariant value(const QString& group, const QString& key,
                 const QVariant& defaultValue = QVariant()) const;

  // The file this reader reads.
  QString fileName() const;

  // "updata.ini" in the folder of the running executable.
  static QString defaultPath();

private:
  std::unique_ptr<QSettings> m_settings;
};

// The process-wide settings record. Filled once by load() on the main thread
// before the worker starts; only read afterwards, so it needs no lock.
struct UpdateSettings {
  // Attempts per download at most; a larger connectcount is cut to this, so
  // a server that always fails cannot keep the application stopped.
  static constexpr qint32 kMaxConnectCount = 10;

  qint32 downmode = 0;      // 0: HTTP transfers; anything else: none
  qint32 connectcount = 1;  // attempts per download, at most kMaxConnectCount; <= 0: none
  QString httpListURL;      // base address; file addresses are appended as is
  QString Application;      // executable name of the application program
  QString ftpserverip;      // the five FTP strings are read but unused
  QString ftpserverport;
  QString ftpusername;
  QString ftpuserpassword;
  QString ftpremotedir;
  QString ListFileName;     // update list name, on the server and locally
  QString newListFileName;  // name of the downloaded list in the working folder
  QString LocatTempDir;     // working folder name under <temp>/tmpUpdata/
  QString AppTitle;
  // Ed25519 public key of the update lists, base64 of its 32 bytes, from the
  // [UPDATESIGNATURE] section; empty: lists are not signed.
  QString PublicKey;

  // The single record, created on first call and never freed.
  static UpdateSettings* instance();

  // Fills every field from the INI file at `path` (empty: "updata.ini"
  // beside the executable), with the defaults for whatever is missing, and
  // derives newListFileName. LocatTempDir, ListFileName and Application must
  // be relative paths without a ".." step; one that is not is read as empty,
  // as if it were missing. connectcount is cut to kMaxConnectCount.
  void load(const QString& path = QString());

  // True for a path that stays below the folder it is joined to: empty, or
  // relative without a drive letter and without a ".." step ("\" counts as
  // a separator).
  static bool isContainedPath(const QString& path);

  // The downloaded list's name for a list name: "version.xml" gives
  // "version_new.xml", "list" gives "list_newlist", ".xml" gives "".
  static QString deriveNewListFileName(const QString& listFileName);
};
