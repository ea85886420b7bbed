// Start-up of the updater program: the skin, the translation catalogue
// chosen by the system language, and the update run with its window.
#pragma once

#include <QLocale>
#include <QString>

// Resource paths compiled into the program.
inline constexpr const char* kIconResource = ":/GKTallowUpdate/skin/main.ico";
inline constexpr const char* kStyleSheetResource = ":/GKTallowUpdate/skin/gray.css";
inline constexpr const char* kChineseCatalogue = ":/GKTallowUpdate/GKTallowUpdate_zh.qm";
inline constexpr const char* kEnglishCatalogue = ":/GKTallowUpdate/gktallowupdate_en.qm";

// Applies the skin at `resourcePath`: the seven characters after
// "QPalette{background:" (a "#RRGGBB" colour) become the application
// palette, and the whole text (up to a first zero byte, Latin-1) the
// application style sheet. A missing resource changes nothing; a colour
// that does not parse leaves the palette alone.
void loadStyleSheet(const QString& resourcePath);

// Loads the catalogue at `resourcePath` into a translator owned by the
// application and installs it. A failed load is not reported.
void installTranslation(const QString& resourcePath);

// The catalogue for a system language: Chinese gets the Chinese one, every
// other language the English one.
QString catalogueFor(QLocale::Language language);

// Window icon, skin, UTF-8 as the locale's text codec, and the catalogue of
// the system locale's language. Needs the QApplication.
void prepareApplication();

// The update proper, run with any argument: returns 0 at once when another
// updater holds the single-instance lock; otherwise loads "updata.ini",
// prepares the application, shows the window (which starts the worker) and
// returns the event loop's result.
int runUpdate();
