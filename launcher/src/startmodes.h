// Carrack's two start modes. Interactive (no argument): the application
// library's login window, then the event loop. Batch (a design and a tag):
// one unattended audit, recorded in the day's audit log; its result is the
// exit code.
#pragma once

class QApplication;
class QStringList;

namespace carrack {

// True when the command line or QT_QPA_PLATFORM names a Qt platform.
bool platformChosen(int argc, char** argv);

// Before the application object exists: when there is no display
// (platform::displayAvailable) and the user chose no platform, selects Qt's offscreen platform so
// that an unattended run works on a machine without a display. Returns true when it did so.
bool selectOffscreenWhenHeadless(int argc, char** argv);

// Interactive mode: window icon, login, event loop. Returns 0 when the login
// is refused, else the event loop's result. With offscreenForced (no display
// at all) no window could ever be seen: it says so and returns 1 instead of
// waiting for a user who cannot answer.
int runInteractive(QApplication& app, bool offscreenForced);

// Batch mode. args is the Qt argument list, argv the C argument vector after
// Qt removed its own options (argv[2] is the log text, in the local 8-bit
// form). Only a design without a tag is refused: exit code 2 and a usage
// line on standard error, no record. Otherwise the audit runs even when the
// log cannot be written (one line on standard error says so), and its
// result is returned unchanged.
int runBatch(int argc, char** argv, const QStringList& args);

}  // namespace carrack
