// Signed update lists: signatures of the exact bytes, and the publisher's
// tool GKSignList.
#include "listsignature.h"

#include "process_test_util.h"

#include <testsupport/temp_dir.h>

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QProcess>
#include <QSettings>

TEST(ListSignatureTest, OnlyTheExactBytesWithTheRightKeyVerify) {
  QByteArray publicKey, secretKey, otherPublic, otherSecret;
  ASSERT_TRUE(makeKeyPair(publicKey, secretKey));
  ASSERT_TRUE(makeKeyPair(otherPublic, otherSecret));
  EXPECT_EQ(publicKeyOf(secretKey), publicKey);
  const QByteArray list = "<update version=\"1\"><files/></update>\n";
  const QByteArray signature = signList(list, secretKey);
  ASSERT_EQ(QByteArray::fromBase64(signature).size(), kSignatureBytes);
  EXPECT_TRUE(verifyListSignature(list, signature, publicKey));
  EXPECT_TRUE(verifyListSignature(list, "  " + signature + "\r\n", publicKey))
      << "white space around";
  EXPECT_FALSE(verifyListSignature(list, signature, otherPublic)) << "another key";
  QByteArray changed = list;
  changed[10] = '2';
  EXPECT_FALSE(verifyListSignature(changed, signature, publicKey)) << "one byte changed";
  EXPECT_FALSE(verifyListSignature(list + " ", signature, publicKey)) << "one byte more";
  EXPECT_FALSE(verifyListSignature(list, signList(list, otherSecret), publicKey));
  EXPECT_FALSE(verifyListSignature(list, "", publicKey)) << "no signature";
  EXPECT_FALSE(verifyListSignature(list, "bm90IGEgc2lnbmF0dXJl", publicKey)) << "not 64 bytes";
  EXPECT_FALSE(verifyListSignature(list, signature, QByteArray(31, 'k'))) << "no key";
  EXPECT_TRUE(signList(list, QByteArray(10, 's')).isEmpty());
  EXPECT_EQ(decodeKey(publicKey.toBase64() + "\n", kPublicKeyBytes), publicKey);
  EXPECT_TRUE(decodeKey("AAAA", kPublicKeyBytes).isEmpty());
}

#ifdef GK_SIGNLIST_EXE
namespace {
struct ToolRun {
  int code = -1;
  QByteArray out;
};
ToolRun runTool(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral(GK_SIGNLIST_EXE), args);
  ToolRun run;
  if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit) run.code = p.exitCode();
  run.out = p.readAllStandardOutput();
  return run;
}
}  // namespace

// keygen writes a private secret key and prints the settings lines; sign
// writes a signature that the updater's check accepts; digest prints the
// attributes of a list item.
TEST(GKSignListTool, MakesKeysSignsListsAndDigestsFiles) {
  testsupport::TempDir dir;
  const QString root = QString::fromStdString(dir.str());
  const ToolRun keygen = runTool({"keygen", root + "/secret.key"});
  ASSERT_EQ(keygen.code, 0);
  EXPECT_TRUE(keygen.out.startsWith("[UPDATESIGNATURE]\nPublicKey=")) << keygen.out.constData();
  EXPECT_EQ(QFile(root + "/secret.key").permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);
  EXPECT_EQ(runTool({"keygen", root + "/secret.key"}).code, 1)
      << "an existing key is never overwritten";

  ASSERT_TRUE(testsupport::writeFile(root + "/updata.ini", keygen.out));
  const QByteArray publicKey = decodeKey(QSettings(root + "/updata.ini", QSettings::IniFormat)
                                             .value("UPDATESIGNATURE/PublicKey")
                                             .toByteArray(),
                                         kPublicKeyBytes);
  ASSERT_FALSE(publicKey.isEmpty());

  const QByteArray list =
      "<update version=\"3\" expires=\"2099-01-01T00:00:00Z\"><files/></update>\n";
  ASSERT_TRUE(testsupport::writeFile(root + "/filelist.xml", list));
  ASSERT_EQ(runTool({"sign", root + "/secret.key", root + "/filelist.xml"}).code, 0);
  EXPECT_TRUE(
      verifyListSignature(list, testsupport::readFile(root + "/filelist.xml.sig"), publicKey));

  const ToolRun digest = runTool({"digest", root + "/filelist.xml"});
  ASSERT_EQ(digest.code, 0);
  EXPECT_TRUE(digest.out.contains(
      "size=\"" + QByteArray::number(list.size()) + "\" sha256=\"" +
      QCryptographicHash::hash(list, QCryptographicHash::Sha256).toHex() + "\""))
      << digest.out.constData();
  EXPECT_EQ(runTool({"sign"}).code, 2) << "usage";
}
#endif
