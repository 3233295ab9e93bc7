// The editor's command line: an optional picture to open at start
// ("tintwell photo.jpg", as the desktop entry's %f gives it), --help,
// --help-all, --version.
#pragma once

#include <QString>
#include <QStringList>

class AppController;

struct LaunchArguments {
    QString picture;   // absolute path; empty when none was given
    bool help = false;
    bool helpAll = false; // help with Qt's own options
    bool version = false;
    QString error;     // a malformed command line
    QString helpText;
};

// Parses the whole argument list (arguments[0] is the program name). Extra
// pictures beyond the first are ignored; file:// URLs are taken as paths.
LaunchArguments parseLaunchArguments(const QStringList &arguments);

// Whether the raw command line (Qt's own options still in it) asks for help or
// the version: text that needs no window system. Arguments after "--" are
// file names.
bool asksOnlyForText(const QStringList &arguments);

// Prints the help with Qt's own options (those of the running application
// object) and ends the process with status 0.
[[noreturn]] void showHelpWithQtOptions(const QStringList &arguments);

// Starts opening the picture named by `arguments`, if any, as the Open action
// does: decoded in the background while the window shows, with its error
// message if it cannot be read.
void openFromArguments(AppController &controller, const QStringList &arguments);
