#include "updatelist.h"

#include <QCryptographicHash>
#include <QDomDocument>
#include <QDomElement>
#include <QDomNode>
#include <QFile>

namespace {

// The item described by `node`; its path and version are empty when the
// node is not an element or lacks them.
UpdateItem itemFrom(const QDomNode& node) {
  const QDomElement e = node.toElement();  // null element for other nodes
  UpdateItem item;
  item.ver = e.attribute("ver");
  item.path = e.attribute("path");
  item.md5 = e.attribute("md5");
  bool ok = false;
  const int type = e.attribute("type").toInt(&ok, 10);
  item.type = ok ? type : 0;
  return item;
}

}  // namespace

bool parseUpdateList(const QString& filePath, UpdateList& list) {
  list.clear();
  if (filePath.isEmpty()) return false;
  QFile file(filePath);
  if (!file.open(QIODevice::ReadOnly)) return false;
  QDomDocument doc;
  const bool parsed = doc.setContent(&file);
  file.close();
  if (!parsed) return false;
  const QDomElement files = doc.documentElement().firstChildElement("files");
  if (files.isNull()) return false;
  for (QDomNode n = files.firstChild(); !n.isNull(); n = n.nextSibling()) {
    UpdateItem item = itemFrom(n);
    if (!item.path.isEmpty() && !item.ver.isEmpty()) list.append(item);
  }
  return !list.isEmpty();
}

bool findChangedItems(const UpdateList& localList, const UpdateList& remoteList,
                      UpdateList& changed) {
  changed.clear();
  if (remoteList.isEmpty()) return false;
  for (const UpdateItem& remote : remoteList) {
    bool unchanged = false;
    for (const UpdateItem& local : localList) {
      if (local.path == remote.path && local.ver == remote.ver) {
        unchanged = true;
        break;
      }
    }
    if (!unchanged) changed.append(remote);
  }
  return !changed.isEmpty();
}

bool checkItemMd5(const UpdateItem& item, const QString& filePath) {
  const QString expected = item.md5.trimmed();
  if (expected.isEmpty()) return true;
  QFile file(filePath);
  if (!file.open(QIODevice::ReadOnly)) return false;
  QCryptographicHash hash(QCryptographicHash::Md5);
  if (!hash.addData(&file)) return false;
  return QString::fromLatin1(hash.result().toHex()).compare(expected, Qt::CaseInsensitive) == 0;
}
