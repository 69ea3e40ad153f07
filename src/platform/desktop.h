#pragma once

#include <QString>
#include <QStringList>

// Desktop integration: the user's XDG folders, opening files with their default
// application, starting programs, and network shares through gio. Errors come back as
// texts for the caller to show; nothing here talks to the user itself.
namespace platform {

// $HOME, else the home folder of the user's passwd entry. No trailing "/" (except "/").
// The full path of the running program (from /proc/self/exe, names kept losslessly).
QString programPath();
QString homeDir();
// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config. No trailing "/".
QString configHome();
// $XDG_DATA_HOME when it is an absolute path, else ~/.local/share. No trailing "/".
QString dataHome();

// A user folder by its xdg-user-dirs key ("DESKTOP", "DOCUMENTS", "DOWNLOAD", ...) as
// $XDG_CONFIG_HOME/user-dirs.dirs sets it (the last XDG_<key>_DIR line; "$HOME/..." or
// an absolute path). Without such a line the folder falls back as xdg-user-dirs itself
// does: DESKTOP to ~/Desktop, every other key to the home folder. That is why the
// documents folder is home, not ~/Documents, on a system that never set it up: home
// always exists, ~/Documents may not. No trailing "/" (except "/").
QString xdgUserDir(const QString& key);

// The folder behind a Windows CSIDL number, ending in "/":
//   2 programs menu   -> $XDG_DATA_HOME/applications/
//   5 documents       -> the XDG documents folder
//   9 Send To         -> $XDG_DATA_HOME/SendTo/ (created when missing)
//   16 desktop        -> the XDG desktop folder
//   26 app data       -> $XDG_CONFIG_HOME/
// Any other number gives an empty text.
QString specialFolderPath(int csidl);

// Opens a file, folder or URL with the desktop's default application through xdg-open
// and waits for xdg-open's verdict while the events keep running (the windows paint
// and answer meanwhile). An absolute path must exist. Names are handed over byte for
// byte, so names that are not UTF-8 open too. False with a reason when xdg-open is
// missing, cannot be started or ends with an error: then no application took the
// file. True when it ends well, and also when it is still running after the wait
// limit (5 seconds; without a desktop helper xdg-open runs the application it found
// in the foreground) or the event loop is told to quit meanwhile.
bool openWithDefaultApp(const QString& path, QString* error = nullptr);
// How long openWithDefaultApp waits for xdg-open's verdict.
void setOpenerWaitLimit(int milliseconds);

// Opens a help page in the browser: url is the page's file:// URL, with a topic
// anchor (#100). A page that is not there is not handed to the browser, which would
// show an error page of its own: false, and error says "Die Hilfedatei PATH wurde
// nicht gefunden.". Otherwise as openWithDefaultApp.
bool openHelpPage(const QString& url, QString* error = nullptr);

// Starts program detached with args in workingDir (empty: ours). An executable file is
// run directly (a bare name is looked up on PATH) and true means it was started; any
// other file, or an executable the kernel cannot run, is opened with its default
// application instead (args unused), through openWithDefaultApp and its wait.
bool startProgram(const QString& program, const QStringList& args, const QString& workingDir,
                  QString* error = nullptr);

// "gio mount URL" and "gio mount -u MOUNT-OR-URL", run synchronously with a timeout.
// A \\server\share path is turned into smb://server/share first. On failure error gets
// gio's own message (its standard error), or a text of ours when gio is missing, timed
// out or said nothing. gio cannot ask for a password here: its standard input is
// closed, so a share that needs one fails instead of waiting.
bool mountNetworkShare(const QString& url, QString* error = nullptr);
bool unmountNetworkShare(const QString& mountOrUrl, QString* error = nullptr);

// \\server\share\dir -> smb://server/share/dir (path segments percent-encoded where a
// URL needs it). Anything else is returned unchanged.
QString uncToUrl(const QString& text);

} // namespace platform
