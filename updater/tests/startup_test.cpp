// The program's compiled-in resources and start-up helpers: translation
// catalogues, the skin, the icon, and the choice of catalogue by language.
#include "startup.h"

#include "process_test_util.h"
#include "qt_test_app.h"

#include <testsupport/temp_dir.h>

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPalette>
#include <QTranslator>

#include <gtest/gtest.h>

namespace {

struct CatalogueRow {
  const char* context;
  const char* key;
  const char* english;
  const char* chinese;
};

// Every key of both catalogues with its two texts.
const CatalogueRow kCatalogue[] = {
    {"GKTallowUpdateClass", "GKTallowUpdate", "Remote Upgrade", "远程升级"},
    {"GKTallowUpdateClass", "Progress:", "Progress", "进度"},
    {"QObject", "maintitle", "Remote Upgrade", "远程升级"},
    {"QObject", "progress", "Progress", "进度"},
    {"GKThreadDownLoad", "checkStartTip", "Start checking the program for updates,please wait",
     "开始检查主程序是否有更新，请稍后"},
    {"GKThreadDownLoad", "downStartTip", "Start downloading the updated resource list,please wait",
     "开始下载待更新资源清单，请稍后"},
    {"GKThreadDownLoad", "compareList", "Start  comparing resource versions,please wait",
     "开始对比资源版本，请稍后"},
    {"GKThreadDownLoad", "downfile", "Start downloading files,please wait", "开始下载文件"},
    {"GKThreadDownLoad", "updatestart", "Start updating data", "开始更新数据"},
};

// Restores the application's palette and style sheet after a skin test.
class SkinTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_NE(testsupport::qtTestApp(), nullptr);
    palette = QApplication::palette();
    styleSheet = qApp->styleSheet();
  }
  void TearDown() override {
    qApp->setStyleSheet(styleSheet);
    QApplication::setPalette(palette);
  }
  QPalette palette;
  QString styleSheet;
  testsupport::TempDir tmp;
};

}  // namespace

TEST(TranslationCatalogues, HoldEveryKeyInEnglishAndChinese) {
  ASSERT_NE(testsupport::qtTestApp(), nullptr);
  QTranslator english;
  QTranslator chinese;
  ASSERT_TRUE(english.load(QString::fromLatin1(kEnglishCatalogue)));
  ASSERT_TRUE(chinese.load(QString::fromLatin1(kChineseCatalogue)));
  for (const CatalogueRow& row : kCatalogue) {
    EXPECT_EQ(english.translate(row.context, row.key), QString::fromUtf8(row.english))
        << row.context << " / " << row.key;
    EXPECT_EQ(chinese.translate(row.context, row.key), QString::fromUtf8(row.chinese))
        << row.context << " / " << row.key;
  }
}

TEST(Startup, CatalogueFollowsTheSystemLanguage) {
  EXPECT_EQ(catalogueFor(QLocale::Chinese), QString(kChineseCatalogue));
  EXPECT_EQ(catalogueFor(QLocale::German), QString(kEnglishCatalogue));
  EXPECT_EQ(catalogueFor(QLocale::English), QString(kEnglishCatalogue));
  EXPECT_EQ(catalogueFor(QLocale::Japanese), QString(kEnglishCatalogue));
}

TEST_F(SkinTest, CompiledSkinSetsPaletteAndStyleSheet) {
  loadStyleSheet(QString::fromLatin1(kStyleSheetResource));
  const QString sheet = qApp->styleSheet();
  EXPECT_TRUE(sheet.startsWith("QPalette{background:#F0F0F0;}")) << sheet.left(60).toStdString();
  EXPECT_TRUE(sheet.contains("*{outline:0px;color:#000000;}"));
  EXPECT_TRUE(sheet.contains("QProgressBar::chunk"));
  EXPECT_EQ(QApplication::palette().color(QPalette::Window), QColor("#F0F0F0"));
  EXPECT_EQ(QApplication::palette().color(QPalette::Button), QColor("#F0F0F0"));
}

TEST_F(SkinTest, StyleSheetIsCutAtTheFirstZeroByte) {
  const QString path = QString::fromStdString(tmp.str()) + "/skin.css";
  ASSERT_TRUE(
      testsupport::writeFile(path, QByteArray("QPalette{background:#123456;}\0QLabel{}", 38)));
  loadStyleSheet(path);
  EXPECT_EQ(qApp->styleSheet(), "QPalette{background:#123456;}");
  EXPECT_EQ(QApplication::palette().color(QPalette::Window), QColor(0x12, 0x34, 0x56));
}

TEST_F(SkinTest, MissingSkinOrUnreadableColourKeepsWhatIsThere) {
  const QColor before = QApplication::palette().color(QPalette::Window);
  loadStyleSheet(":/GKTallowUpdate/skin/missing.css");
  EXPECT_EQ(qApp->styleSheet(), styleSheet);
  EXPECT_EQ(QApplication::palette().color(QPalette::Window), before);

  const QString path = QString::fromStdString(tmp.str()) + "/skin.css";
  ASSERT_TRUE(testsupport::writeFile(path, "QPalette{background:nocolor}QLabel{}"));
  loadStyleSheet(path);
  EXPECT_EQ(qApp->styleSheet(), "QPalette{background:nocolor}QLabel{}");
  EXPECT_EQ(QApplication::palette().color(QPalette::Window), before)
      << "an unparsable colour must not become the palette";
}

TEST(Startup, IconHoldsSmallSizesOfAnOpaqueSymbol) {
  ASSERT_NE(testsupport::qtTestApp(), nullptr);
  const QIcon icon(QString::fromLatin1(kIconResource));
  ASSERT_FALSE(icon.isNull());
  const QList<QSize> sizes = icon.availableSizes();
  EXPECT_TRUE(sizes.contains(QSize(16, 16)));
  EXPECT_TRUE(sizes.contains(QSize(32, 32)));
  EXPECT_TRUE(sizes.contains(QSize(48, 48)));
  const QImage image = icon.pixmap(32, 32).toImage();
  ASSERT_EQ(image.size(), QSize(32, 32));
  EXPECT_EQ(qAlpha(image.pixel(16, 16)), 255) << "the centre is drawn";
  EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "the rounded corner is transparent";
}

TEST(Startup, InstalledTranslationIsUsedByTheApplication) {
  ASSERT_NE(testsupport::qtTestApp(), nullptr);
  const int before = qApp->findChildren<QTranslator*>().size();
  installTranslation(QString::fromLatin1(kChineseCatalogue));
  const QList<QTranslator*> translators = qApp->findChildren<QTranslator*>();
  ASSERT_EQ(translators.size(), before + 1) << "the application owns the translator";
  EXPECT_EQ(QCoreApplication::translate("QObject", "maintitle"), QString::fromUtf8("远程升级"));
  QCoreApplication::removeTranslator(translators.back());
  delete translators.back();
  EXPECT_EQ(QCoreApplication::translate("QObject", "maintitle"), QString("maintitle"));
}
