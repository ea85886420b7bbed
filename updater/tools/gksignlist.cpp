// GKSignList: the publisher's side of signed update lists.
//   GKSignList keygen SECRET_KEY_FILE        new key pair; prints the updata.ini lines
//   GKSignList sign SECRET_KEY_FILE LIST     writes LIST.sig beside the list
//   GKSignList digest FILE...                size and sha256 attributes of each file
// The secret key file holds the 64-byte Ed25519 secret key in base64 and is
// created readable by its owner only; it is never overwritten.
#include "listsignature.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QStringList>

#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace {

int usage() {
  std::fputs(
      "usage: GKSignList keygen SECRET_KEY_FILE\n"
      "       GKSignList sign SECRET_KEY_FILE LIST_FILE\n"
      "       GKSignList digest FILE...\n",
      stderr);
  return 2;
}

int fail(const QString& message) {
  std::fprintf(stderr, "GKSignList: %s\n", message.toLocal8Bit().constData());
  return 1;
}

bool readWhole(const QString& path, QByteArray& bytes) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  bytes = file.readAll();
  return file.error() == QFileDevice::NoError;
}

int keygen(const QString& secretPath) {
  QByteArray publicKey, secretKey;
  if (!makeKeyPair(publicKey, secretKey)) return fail("cannot make a key pair");
  const int fd = ::open(QFile::encodeName(secretPath).constData(),
                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return fail(secretPath + ": cannot be created (it must not exist yet)");
  const QByteArray text = secretKey.toBase64() + "\n";
  const bool written =
      ::write(fd, text.constData(), static_cast<size_t>(text.size())) == text.size();
  if (::close(fd) != 0 || !written) return fail(secretPath + ": cannot be written");
  std::printf("[UPDATESIGNATURE]\nPublicKey=%s\n", publicKey.toBase64().constData());
  return 0;
}

int sign(const QString& secretPath, const QString& listPath) {
  QByteArray keyText, list;
  if (!readWhole(secretPath, keyText)) return fail(secretPath + ": cannot be read");
  const QByteArray secretKey = decodeKey(keyText, kSecretKeyBytes);
  if (secretKey.isEmpty()) return fail(secretPath + ": not a secret key");
  if (!readWhole(listPath, list)) return fail(listPath + ": cannot be read");
  const QByteArray signature = signList(list, secretKey);
  if (signature.isEmpty()) return fail("cannot sign");
  QFile out(listPath + kListSignatureSuffix);
  if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(signature + "\n") < 0 ||
      !out.flush())
    return fail(out.fileName() + ": cannot be written");
  std::printf("%s\n", QFile::encodeName(out.fileName()).constData());
  return 0;
}

int digest(const QStringList& paths) {
  for (const QString& path : paths) {
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
      return fail(path + ": cannot be read");
    std::printf("%s size=\"%lld\" sha256=\"%s\"\n", QFile::encodeName(path).constData(),
                static_cast<long long>(file.size()), hash.result().toHex().constData());
  }
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments().mid(1);
  if (args.size() == 2 && args[0] == "keygen") return keygen(args[1]);
  if (args.size() == 3 && args[0] == "sign") return sign(args[1], args[2]);
  if (args.size() >= 2 && args[0] == "digest") return digest(args.mid(1));
  return usage();
}
