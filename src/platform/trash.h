#pragma once

#include <QString>

// The freedesktop trash, so that other file managers see, restore and empty what we
// throw away, and we theirs.
//
// An item goes into the home trash ($XDG_DATA_HOME/Trash) when it lies on the same file
// system as that folder. Otherwise it goes into its own volume's trash: $topdir/.Trash/$uid
// when the administrator prepared a shared $topdir/.Trash (a real directory with the
// sticky bit), else $topdir/.Trash-$uid. Missing trash folders are created with mode
// 0700. Items inside a trash are not trashed again.
namespace platform {

// Moves a file, folder or symbolic link (never followed) into the trash: first the
// entry's .trashinfo is created exclusively under a free name ("name", "name.2", ...),
// then the item is renamed into files/ under that name; if the rename fails, the
// .trashinfo goes again. Names that are not UTF-8 keep their exact bytes. trashedFile
// receives the item's new path. On failure errno tells why (lastError() does as well
// when the rename itself failed).
bool moveToTrash(const QString& path, QString* trashedFile = nullptr);

// Whether path exists and a trash could take it (without creating anything). False
// means the caller must ask before deleting for good.
bool canTrash(const QString& path);

} // namespace platform
