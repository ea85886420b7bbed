// Objects of a JSON document that name one key twice. JSON parsers keep one
// of the two values (Qt's the last) and drop the other without a word;
// design files are checked for them before they are read.
#pragma once

#include <QByteArray>
#include <QString>

// Finds the first object in the document that has a key twice, keys
// compared as decoded text (a key written with \u escapes equals its plain
// spelling). Returns false when there is none; otherwise true with the key
// and the path of the object, e.g. "features[0].region" ("" for the top
// level; keys in it and the key itself cut as quotedExcerpt cuts them).
// Linear in the text, without recursion; meant for text that a JSON parser
// has accepted, and harmless on any other.
bool findRepeatedKey(const QByteArray& json, QString& path, QString& key);
