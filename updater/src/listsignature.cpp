#include "listsignature.h"

#include <sodium.h>

namespace {

bool sodiumReady() {
  static const bool ready = sodium_init() >= 0;
  return ready;
}

}  // namespace

QByteArray decodeKey(const QByteArray& text, int bytes) {
  const QByteArray key = QByteArray::fromBase64(text.trimmed());
  return key.size() == bytes ? key : QByteArray();
}

bool makeKeyPair(QByteArray& publicKey, QByteArray& secretKey) {
  if (!sodiumReady()) return false;
  publicKey.resize(kPublicKeyBytes);
  secretKey.resize(kSecretKeyBytes);
  return crypto_sign_keypair(reinterpret_cast<unsigned char*>(publicKey.data()),
                             reinterpret_cast<unsigned char*>(secretKey.data())) == 0;
}

QByteArray publicKeyOf(const QByteArray& secretKey) {
  if (!sodiumReady() || secretKey.size() != kSecretKeyBytes) return QByteArray();
  QByteArray publicKey(kPublicKeyBytes, '\0');
  if (crypto_sign_ed25519_sk_to_pk(reinterpret_cast<unsigned char*>(publicKey.data()),
                                   reinterpret_cast<const unsigned char*>(secretKey.constData())) !=
      0)
    return QByteArray();
  return publicKey;
}

QByteArray signList(const QByteArray& list, const QByteArray& secretKey) {
  if (!sodiumReady() || secretKey.size() != kSecretKeyBytes) return QByteArray();
  QByteArray signature(kSignatureBytes, '\0');
  if (crypto_sign_detached(reinterpret_cast<unsigned char*>(signature.data()), nullptr,
                           reinterpret_cast<const unsigned char*>(list.constData()),
                           static_cast<unsigned long long>(list.size()),
                           reinterpret_cast<const unsigned char*>(secretKey.constData())) != 0)
    return QByteArray();
  return signature.toBase64();
}

bool verifyListSignature(const QByteArray& list, const QByteArray& signatureText,
                         const QByteArray& publicKey) {
  if (!sodiumReady() || publicKey.size() != kPublicKeyBytes) return false;
  const QByteArray signature = decodeKey(signatureText, kSignatureBytes);
  if (signature.isEmpty()) return false;
  return crypto_sign_verify_detached(
             reinterpret_cast<const unsigned char*>(signature.constData()),
             reinterpret_cast<const unsigned char*>(list.constData()),
             static_cast<unsigned long long>(list.size()),
             reinterpret_cast<const unsigned char*>(publicKey.constData())) == 0;
}
