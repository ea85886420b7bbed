#include "startup.h"

#include "gktallowupdate.h"
#include "processcontrol.h"
#include "updatesettings.h"

#include <QApplication>
#include <QColor>
#include <QFile>
#include <QIcon>
#include <QPalette>
#include <QTextCodec>
#include <QTranslator>

namespace {
// Where the palette colour sits in the skin text: right after
// "QPalette{background:", seven characters "#RRGGBB".
constexpr int kPaletteColourPos = 20;
constexpr int kPaletteColourLen = 7;
}  // namespace

void loadStyleSheet(const QString& resourcePath) {
  QFile file(resourcePath);
  if (!file.open(QIODevice::ReadOnly)) return;
  QByteArray bytes = file.readAll();
  const int zero = bytes.indexOf('\0');
  if (zero >= 0) bytes.truncate(zero);
  const QString text = QString::fromLatin1(bytes);
  const QColor colour(text.mid(kPaletteColourPos, kPaletteColourLen));
  if (colour.isValid()) QApplication::setPalette(QPalette(colour));
  qApp->setStyleSheet(text);
}

void installTranslation(const QString& resourcePath) {
  // Owned by the application object, which deletes it when it goes: an
  // installed translator must outlive every text it translates.
  auto* translator = new QTranslator(QCoreApplication::instance());
  translator->load(resourcePath);
  QCoreApplication::installTranslator(translator);
}

QString catalogueFor(QLocale::Language language) {
  return QString::fromLatin1(language == QLocale::Chinese ? kChineseCatalogue : kEnglishCatalogue);
}

void prepareApplication() {
  QApplication::setWindowIcon(QIcon(QString::fromLatin1(kIconResource)));
  loadStyleSheet(QString::fromLatin1(kStyleSheetResource));
  QTextCodec::setCodecForLocale(QTextCodec::codecForName("utf-8"));
  installTranslation(catalogueFor(QLocale::system().language()));
}

int runUpdate() {
  if (!checkSingleInstance()) return 0;
  UpdateSettings::instance()->load();
  prepareApplication();
  GKTallowUpdate window;
  window.setWindowTitle(QObject::tr("maintitle"));
  window.show();
  return QApplication::exec();
}
