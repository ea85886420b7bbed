#include "updatelist.h"

#include <QCryptographicHash>
#include <QDomDocument>
#include <QDomElement>
#include <QDomNode>
#include <QFile>
#include <QPair>
#include <QSet>
#include <QXmlStreamReader>

namespace {

UpdateListLimits& currentLimits() {
  static UpdateListLimits limits;
  return limits;
}

// The item described by `node`; its path and version are empty when the
// node is not an element or lacks them.
UpdateItem itemFrom(const QDomNode& node) {
  const QDomElement e = node.toElement();  // null element for other nodes
  UpdateItem item;
  item.ver = e.attribute("ver");
  item.path = e.attribute("path");
  item.md5 = e.attribute("md5");
  item.sha256 = e.attribute("sha256").trimmed();
  bool ok = false;
  const int type = e.attribute("type").toInt(&ok, 10);
  item.type = ok ? type : 0;
  const qint64 size = e.attribute("size").toLongLong(&ok, 10);
  item.size = ok && size >= 0 ? size : -1;
  return item;
}

UpdateListInfo infoFrom(const QDomElement& root) {
  UpdateListInfo info;
  bool ok = false;
  const qint64 version = root.attribute("version").toLongLong(&ok, 10);
  info.version = ok && version >= 0 ? version : -1;
  info.expires = QDateTime::fromString(root.attribute("expires"), Qt::ISODate);
  return info;
}

// False when the document nests elements deeper than `maxDepth` or is not
// well-formed. The stream reader keeps no tree and does not recurse, so a
// hostile nesting costs neither stack nor memory here.
bool depthWithin(const QByteArray& bytes, int maxDepth) {
  QXmlStreamReader reader(bytes);
  int depth = 0;
  while (!reader.atEnd()) {
    const QXmlStreamReader::TokenType token = reader.readNext();
    if (token == QXmlStreamReader::StartElement && ++depth > maxDepth) return false;
    if (token == QXmlStreamReader::EndElement) --depth;
  }
  return !reader.hasError();
}

QString fileDigest(const QString& filePath, QCryptographicHash::Algorithm algorithm, bool& ok) {
  QFile file(filePath);
  QCryptographicHash hash(algorithm);
  ok = file.open(QIODevice::ReadOnly) && hash.addData(&file);
  return QString::fromLatin1(hash.result().toHex());
}

}  // namespace

const UpdateListLimits& updateListLimits() { return currentLimits(); }

void setUpdateListLimits(const UpdateListLimits& limits) { currentLimits() = limits; }

bool parseUpdateList(const QString& filePath, UpdateList& list, UpdateListInfo* info) {
  list.clear();
  if (info != nullptr) *info = UpdateListInfo();
  if (filePath.isEmpty()) return false;
  QFile file(filePath);
  if (!file.open(QIODevice::ReadOnly)) return false;
  // One byte more than the limit tells an oversized file from one at it.
  const QByteArray bytes = file.read(updateListLimits().maxBytes + 1);
  file.close();
  return parseUpdateListBytes(bytes, list, info);
}

bool parseUpdateListBytes(const QByteArray& bytes, UpdateList& list, UpdateListInfo* info) {
  list.clear();
  if (info != nullptr) *info = UpdateListInfo();
  const UpdateListLimits& limits = updateListLimits();
  if (bytes.size() > limits.maxBytes || !depthWithin(bytes, limits.maxDepth)) return false;
  QDomDocument doc;
  if (!doc.setContent(bytes)) return false;
  if (info != nullptr) *info = infoFrom(doc.documentElement());
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
  QSet<QPair<QString, QString>> installed;
  installed.reserve(localList.size());
  for (const UpdateItem& local : localList) installed.insert(qMakePair(local.path, local.ver));
  for (const UpdateItem& remote : remoteList) {
    if (!installed.contains(qMakePair(remote.path, remote.ver))) changed.append(remote);
  }
  return !changed.isEmpty();
}

bool checkItemMd5(const UpdateItem& item, const QString& filePath) {
  const QString expected = item.md5.trimmed();
  if (expected.isEmpty()) return true;
  bool ok = false;
  const QString actual = fileDigest(filePath, QCryptographicHash::Md5, ok);
  return ok && actual.compare(expected, Qt::CaseInsensitive) == 0;
}

bool checkItemDigest(const UpdateItem& item, const QString& filePath, bool required) {
  if (required && (item.size < 0 || item.sha256.isEmpty())) return false;
  if (item.size >= 0 && QFile(filePath).size() != item.size) return false;
  if (item.sha256.isEmpty()) return true;
  bool ok = false;
  const QString actual = fileDigest(filePath, QCryptographicHash::Sha256, ok);
  return ok && actual.compare(item.sha256, Qt::CaseInsensitive) == 0;
}
