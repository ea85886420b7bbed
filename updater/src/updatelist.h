// Update lists: the XML list of updatable files (one in the application
// folder, one on the server), read into UpdateItem values and compared to
// find the items to fetch.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVector>
#include <QtGlobal>

// One entry of an update list.
struct UpdateItem {
  qint32 type = 0;   // 1: an installer program; anything else: file or archive
  QString ver;       // version text, compared only for exact equality
  QString path;      // relative to the application folder and to httpListURL
  QString md5;       // hexadecimal MD5 of the file; empty when not given
  qint64 size = -1;  // the file's size in bytes; -1 when not given
  QString sha256;    // hexadecimal SHA-256 of the file; empty when not given
};

using UpdateList = QVector<UpdateItem>;

// What the root element of a list says about the list as a whole (signed
// lists carry both).
struct UpdateListInfo {
  qint64 version = -1;  // "version": a non-negative integer; -1 when absent or invalid
  QDateTime expires;    // "expires": an ISO 8601 date and time; invalid when absent
};

// Bounds on a list checked before the XML document is built.
struct UpdateListLimits {
  // Largest list file accepted: 8 MiB (some 60,000 items).
  static constexpr qint64 kMaxListBytes = qint64(8) << 20;
  // Deepest element nesting accepted; a list needs 3 levels.
  static constexpr int kMaxDepth = 32;

  qint64 maxBytes = kMaxListBytes;
  int maxDepth = kMaxDepth;
};

// The limits parseUpdateList applies; the defaults unless a test set others.
const UpdateListLimits& updateListLimits();
void setUpdateListLimits(const UpdateListLimits& limits);

// Reads the list file at `filePath` into `list` (emptied first), in file
// order. Items come from the child nodes of the document element's first
// "files" element; a node enters the list only when its "path" and "ver"
// attributes are both non-empty. False when the path is empty, the file
// cannot be read or parsed, is larger or nested deeper than
// updateListLimits() allow, there is no "files" element, or no item
// qualified. `info`, when given, receives the root element's attributes.
bool parseUpdateList(const QString& filePath, UpdateList& list, UpdateListInfo* info = nullptr);

// The same for the list's bytes.
bool parseUpdateListBytes(const QByteArray& bytes, UpdateList& list,
                          UpdateListInfo* info = nullptr);

// Fills `changed` (emptied first) with every remote item, in remote order,
// for which no local item has the same path and the same version text (exact,
// case-sensitive). An empty local list makes every remote item changed.
// False when the remote list is empty or nothing changed. Time grows with
// the sum of the list sizes, not their product.
bool findChangedItems(const UpdateList& localList, const UpdateList& remoteList,
                      UpdateList& changed);

// True when `item` carries no md5 text (blank counts as none), or when the MD5 of the file at
// `filePath` matches it (hexadecimal, case ignored). False for a mismatch or
// an unreadable file. Meant to be called after each download attempt: a
// mismatch counts as a failed attempt.
bool checkItemMd5(const UpdateItem& item, const QString& filePath);

// True when the file at `filePath` has the item's size and SHA-256 (each
// checked only when the item gives it, unless `required`: then an item
// without both fails). False for a mismatch or an unreadable file.
bool checkItemDigest(const UpdateItem& item, const QString& filePath, bool required);
