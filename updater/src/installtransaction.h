// All-or-nothing installation of an update into the application folder.
// Every new file is first written beside its target under a temporary name;
// only when all of them are there are they moved into place, each replaced
// file kept under a backup name until every file is in. When anything fails
// the replaced files are put back and the new ones removed, so the folder
// holds either the whole update or none of it.
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

class InstallTransaction {
public:
  // Installs below `appDir`, which must exist.
  explicit InstallTransaction(const QString& appDir);
  // Undoes everything unless commit() succeeded.
  ~InstallTransaction();
  InstallTransaction(const InstallTransaction&) = delete;
  InstallTransaction& operator=(const InstallTransaction&) = delete;

  // Prepares the file `source` to become `relative` (a contained path, "/"
  // separated) below the application folder: makes missing folder levels
  // (never through a link: a level that is a link or a file fails) and
  // copies the data into a new file beside the target. The new file takes
  // the replaced file's permission bits, or the source's for a new target,
  // never group or other write, set-user-id or set-group-id; `executable`
  // adds the execute bits. A target added again takes the later data. False,
  // with nothing changed in place, when the target is a folder or a
  // read-only file, its name is that of a helper file (ending in
  // ".gkupdate-new" or ".gkupdate-old"), or writing fails.
  bool add(const QString& source, const QString& relative, bool executable = false);

  // Moves every prepared file into place. True when all are in (the backups
  // are then deleted); false after a failed move, with every replaced file
  // put back and every new one removed.
  bool commit();

  // Number of files prepared.
  int size() const { return m_entries.size(); }

private:
  struct Entry {
    QString target;
    QString fresh;   // the new data, beside the target
    QString backup;  // where the replaced file waits
    bool hadTarget = false;
    bool placed = false;
  };
  void rollback();
  bool makeLevels(const QStringList& levels, QString& folder);

  QString m_appDir;
  QVector<Entry> m_entries;
  QStringList m_createdFolders;  // in order of creation
  bool m_committed = false;
};
