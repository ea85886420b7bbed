// Update lists: the bytes are read as a downloaded list and compared with a
// fixed local list. Nothing may crash; a list that parses has only items
// with a path and a version, and the changed items are exactly the remote
// items, in order, that no local item matches by path and version.
#include "fuzz_support.h"

#include "listsignature.h"
#include "updatelist.h"

#include <QSet>

#include <cstddef>
#include <cstdint>

namespace {

const char kLocalList[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<update version=\"3\">\n"
    " <files>\n"
    "  <file type=\"0\" ver=\"1.0\" path=\"bin/app.exe\" "
    "md5=\"00112233445566778899aabbccddeeff\"/>\n"
    "  <file type=\"1\" ver=\"2\" path=\"setup.exe\"/>\n"
    "  <file type=\"0\" ver=\"7\" path=\"Data/Model.zip\" size=\"10\"/>\n"
    " </files>\n"
    "</update>\n";

const UpdateList& localList() {
  static const UpdateList list = [] {
    UpdateList l;
    fuzzsupport::check(parseUpdateListBytes(QByteArray(kLocalList), l), "local list parses");
    return l;
  }();
  return list;
}

// Any key: the check is that verification of arbitrary bytes never crashes
// and never accepts a signature made by nobody.
const QByteArray& publicKey() {
  static const QByteArray key = [] {
    QByteArray pub, sec;
    fuzzsupport::check(makeKeyPair(pub, sec), "key pair");
    return pub;
  }();
  return key;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using fuzzsupport::check;
  const QByteArray bytes = fuzzsupport::bytesOf(data, size);
  UpdateList remote;
  UpdateListInfo info;
  const bool parsed = parseUpdateListBytes(bytes, remote, &info);
  check(parsed == !remote.isEmpty(), "a list parses exactly when it has items");
  check(info.version >= -1, "list version is -1 or not negative");
  for (const UpdateItem& item : remote)
    check(!item.path.isEmpty() && !item.ver.isEmpty(), "items have a path and a version");

  UpdateList changed;
  const bool any = findChangedItems(localList(), remote, changed);
  check(any == !changed.isEmpty(), "findChangedItems says whether anything changed");
  QSet<QString> local;
  for (const UpdateItem& item : localList()) local.insert(item.path + QChar(0) + item.ver);
  int next = 0;
  for (const UpdateItem& item : remote) {
    if (local.contains(item.path + QChar(0) + item.ver)) continue;
    check(next < changed.size(), "every unmatched remote item is changed");
    check(changed[next].path == item.path && changed[next].ver == item.ver,
          "changed items in remote order");
    ++next;
  }
  check(next == changed.size(), "no matched item is changed");

  // The same bytes as a signature of the local list: never valid.
  check(!verifyListSignature(QByteArray(kLocalList), bytes, publicKey()),
        "a made-up signature is refused");
  return 0;
}
