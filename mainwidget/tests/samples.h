// Paths of the bundled sample designs and helpers to read one, or a board
// given as text.
#pragma once

#include "design.h"
#include "designreader.h"
#include "kicadboard.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

inline QString samplePath(const char* name) {
  return QStringLiteral(GK_SAMPLES_DIR "/") + QLatin1String(name);
}

inline Design readSample(const char* name) {
  Design d;
  QString error;
  EXPECT_TRUE(readDesignFile(samplePath(name), d, error)) << error.toStdString();
  return d;
}

// The board text read, expecting success (with the project file's bytes).
inline Design readBoard(const QByteArray& text, const QByteArray* project = nullptr) {
  Design d;
  QString error;
  EXPECT_TRUE(parseKicadBoard(text, project, d, error)) << error.toStdString();
  return d;
}

// The reason the board text is refused, expecting a refusal.
inline QString refusal(const QByteArray& text) {
  Design d;
  QString error;
  EXPECT_FALSE(parseKicadBoard(text, nullptr, d, error));
  return error;
}
