#include "updatesettings.h"

#include <QCoreApplication>
#include <QSettings>
#include <QStringList>

namespace {

const char* const kSettingsFileName = "updata.ini";

// The child of `keys` equal to `wanted` without regard to case; empty if none.
QString matchIgnoringCase(const QStringList& keys, const QString& wanted) {
  for (const QString& k : keys) {
    if (k.compare(wanted, Qt::CaseInsensitive) == 0) return k;
  }
  return QString();
}

}  // namespace

SettingsFile::SettingsFile(const QString& path)
    : m_settings(std::make_unique<QSettings>(path.isEmpty() ? defaultPath() : path,
                                             QSettings::IniFormat)) {}

SettingsFile::~SettingsFile() = default;

QString SettingsFile::defaultPath() {
  return QCoreApplication::applicationDirPath() + "/" + kSettingsFileName;
}

QString SettingsFile::fileName() const { return m_settings->fileName(); }

QVariant SettingsFile::value(const QString& group, const QString& key,
                             const QVariant& defaultValue) const {
  QString fullKey = QString("%1/%2").arg(group, key);
  if (!m_settings->contains(fullKey)) {
    const QString g = matchIgnoringCase(m_settings->childGroups(), group);
    if (g.isEmpty()) return defaultValue;
    m_settings->beginGroup(g);
    const QString k = matchIgnoringCase(m_settings->childKeys(), key);
    m_settings->endGroup();
    if (k.isEmpty()) return defaultValue;
    fullKey = QString("%1/%2").arg(g, k);
  }
  const QVariant v = m_settings->value(fullKey, defaultValue);
  // The INI reader turns "a,b" into a list; a setting is one text.
  if (v.type() == QVariant::StringList) return v.toStringList().join(',');
  return v;
}

UpdateSettings* UpdateSettings::instance() {
  // Deliberately never freed: the worker thread may still read it at exit.
  static UpdateSettings* const record = new UpdateSettings;
  return record;
}

void UpdateSettings::load(const QString& path) {
  const SettingsFile ini(path);
  auto text = [&ini](const char* group, const char* key) {
    return ini.value(group, key, QString()).toString();
  };
  downmode = ini.value("config", "downmode", 0).toInt();
  connectcount = qMin(ini.value("config", "connectcount", 1).toInt(), kMaxConnectCount);
  auto contained = [&text](const char* group, const char* key) {
    const QString value = text(group, key);
    return isContainedPath(value) ? value : QString();
  };
  ListFileName = contained("config", "ListFileName");
  LocatTempDir = contained("config", "LocatTempDir");
  Application = contained("APPLICATION", "Application");
  AppTitle = text("APPLICATION", "AppTitle");
  httpListURL = text("UPDATEINFO", "httpListURL");
  ftpserverip = text("UPDATEINFO", "ftpserverip");
  ftpserverport = text("UPDATEINFO", "ftpserverport");
  ftpusername = text("UPDATEINFO", "ftpusername");
  ftpuserpassword = text("UPDATEINFO", "ftpuserpassword");
  ftpremotedir = text("UPDATEINFO", "ftpremotedir");
  PublicKey = text("UPDATESIGNATURE", "PublicKey").trimmed();
  newListFileName = deriveNewListFileName(ListFileName);
}

QString UpdateSettings::deriveNewListFileName(const QString& listFileName) {
  const int dot = listFileName.lastIndexOf('.');
  QString derived = dot < 0 ? listFileName : listFileName.left(dot);
  if (!derived.isEmpty()) derived += "_new" + (dot < 0 ? listFileName : listFileName.mid(dot));
  return derived;
}

bool UpdateSettings::isContainedPath(const QString& path) {
  if (path.isEmpty()) return true;
  QString local = path;
  local.replace('\\', '/');
  if (local.startsWith('/') || (local.size() >= 2 && local.at(1) == ':')) return false;
  return !local.split('/').contains(QStringLiteral(".."));
}
