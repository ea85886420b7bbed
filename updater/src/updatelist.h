// Update lists: the XML list of updatable files (one in the application
// folder, one on the server), read into UpdateItem values and compared to
// find the items to fetch.
#pragma once

#include <QString>
#include <QVector>
#include <QtGlobal>

// One entry of an update list.
struct UpdateItem {
  qint32 type = 0;  // 1: an installer program; anything else: file or archive
  QString ver;      // version text, compared only for exact equality
  QString path;     // relative to the application folder and to httpListURL
  QString md5;      // hexadecimal MD5 of the file; empty when not given
};

using UpdateList = QVector<UpdateItem>;

// Reads the list file at `filePath` into `list` (emptied first), in file
// order. Items come from the child nodes of the document element's first
// "files" element; a node enters the list only when its "path" and "ver"
// attributes are both non-empty. False when the path is empty, the file
// cannot be read or parsed, there is no "files" element, or no item qualified.
bool parseUpdateList(const QString& filePath, UpdateList& list);

// Fills `changed` (emptied first) with every remote item, in remote order,
// for which no local item has the same path and the same version text (exact,
// case-sensitive). An empty local list makes every remote item changed.
// False when the remote list is empty or nothing changed.
bool findChangedItems(const UpdateList& localList, const UpdateList& remoteList,
                      UpdateList& changed);

// True when `item` carries no md5 text (blank counts as none), or when the MD5 of the file at
// `filePath` matches it (hexadecimal, case ignored). False for a mismatch or
// an unreadable file. Meant to be called after each download attempt: a
// mismatch counts as a failed attempt.
bool checkItemMd5(const UpdateItem& item, const QString& filePath);
