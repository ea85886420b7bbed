// Ed25519 signatures of update lists (libsodium): a detached signature of
// the list file's exact bytes, published beside it as "<list name>.sig",
// holding the 64 signature bytes in base64. Keys are written in base64 too:
// the 32-byte public key in updata.ini, the 64-byte secret key in a file
// that only the publisher keeps.
#pragma once

#include <QByteArray>
#include <QString>

// Suffix of the signature file's name after the list's name.
inline constexpr const char* kListSignatureSuffix = ".sig";

// Byte sizes of Ed25519 keys and signatures.
constexpr int kPublicKeyBytes = 32;
constexpr int kSecretKeyBytes = 64;
constexpr int kSignatureBytes = 64;

// The key bytes of a base64 text (surrounding white space ignored); empty
// when the text does not decode to exactly `bytes` bytes.
QByteArray decodeKey(const QByteArray& text, int bytes);

// A fresh key pair; false when the library cannot be initialised.
bool makeKeyPair(QByteArray& publicKey, QByteArray& secretKey);

// The public half of an Ed25519 secret key; empty for a key of the wrong size.
QByteArray publicKeyOf(const QByteArray& secretKey);

// The base64 text of the detached signature of `list` (no line end); empty
// for a secret key of the wrong size.
QByteArray signList(const QByteArray& list, const QByteArray& secretKey);

// True when `signatureText` (base64, white space around it ignored) is a
// valid signature of exactly `list` by `publicKey`.
bool verifyListSignature(const QByteArray& list, const QByteArray& signatureText,
                         const QByteArray& publicKey);
