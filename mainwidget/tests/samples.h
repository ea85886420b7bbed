// Paths of the bundled sample designs and a helper to read one.
#pragma once

#include "design.h"
#include "designreader.h"

#include <gtest/gtest.h>

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
