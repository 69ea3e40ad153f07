#pragma once

#include <QString>
#include <vector>

// The network shares Tobrin connected, under the drive names ("X:") the user gave
// them, and the shares gio has mounted. A drive name is only a name here: the share
// is mounted by gio where gio mounts it, and the name shows in the share's label.
//
// Tobrin's connections are kept in $XDG_CONFIG_HOME/Vetmark/netdrives, one
// "X:<tab>URL" line each. "Reconnect at logon" is an XDG autostart entry,
// $XDG_CONFIG_HOME/autostart/tobrin-netdrive-X.desktop, that runs gio mount at login.
namespace platform {

struct NetConnection
{
    QString drive; // "X:"
    QString url;   // smb://server/share, sftp://host/path, ...
};

// A share mounted by gio: a folder below gvfsFolder().
struct NetShare
{
    QString mountPoint;  // the share's folder, no trailing "/"
    QString description; // "data auf srv" for smb, else the host
    QString drive;       // Tobrin's drive name for it, empty when Tobrin did not connect it
};

// Where gio mounts shares: $XDG_RUNTIME_DIR/gvfs, else /run/user/UID/gvfs.
QString gvfsFolder();

// Tobrin's connections in the order they were made. Reading the record never fails:
// a missing or broken file gives no connections.
std::vector<NetConnection> netConnections();

// The drive names to offer and the one to propose: every letter after the highest
// letter of Tobrin's connections (A: to Z: with none); when Z: is taken, the letters
// still free. The proposal is the first of them; empty when all 26 are taken.
struct DriveProposal
{
    QString proposed;
    std::vector<QString> offered;
};
DriveProposal proposeDrives(const std::vector<NetConnection>& connections);

// The shares below gvfsFolder(), sorted by folder name, each with the drive name of
// the connection whose URL it belongs to.
std::vector<NetShare> gvfsShares();

// Whether a gvfs folder name ("smb-share:server=srv,share=data", "sftp:host=h,user=u")
// belongs to url: same kind, same host (letter case ignored) and, for smb, same share.
bool gvfsNameMatches(const QString& folderName, const QString& url);

// The URL of a folder below gvfsFolder(): .../smb-share:server=srv,share=data/dir gives
// smb://srv/data/dir, .../sftp:host=h,user=u/x gives sftp://u@h/x. Any other path is
// returned as it is.
QString shareUrlForFolder(const QString& path);

// The autostart entry that mounts url again at login.
QString autostartEntryPath(const QString& drive);
QString autostartEntryText(const QString& drive, const QString& url);

// Mounts url (a \\server\share path is made an smb:// URL) with gio and records it
// under drive; an older connection of that drive name is replaced. With reconnect the
// autostart entry is written, else an older one of the drive is removed. False with
// gio's message when the mount fails; then nothing is recorded.
bool connectShare(const QString& drive, const QString& url, bool reconnect,
                  QString* error = nullptr);

// Unmounts the share mounted at mountPoint (gio mount -u) and forgets Tobrin's
// connection of it together with its autostart entry. False with gio's message when
// the unmount fails; the record stays then.
bool disconnectShare(const QString& mountPoint, QString* error = nullptr);

} // namespace platform
