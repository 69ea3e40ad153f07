#pragma once

#include <QFlags>

// Attribute classes a tree or a file list admits. Each member stands for one
// attribute bit of the listing (see AdmissionBits).
enum TFileAttr {
    ftReadOnly = 0x01,
    ftHidden = 0x02,
    ftSystem = 0x04,
    ftVolumeID = 0x08,
    ftDirectory = 0x10,
    ftArchive = 0x20,
    ftNormal = 0x40,
};
Q_DECLARE_FLAGS(TFileType, TFileAttr)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFileType)

// The default of both controls: read-only, hidden, system and archive.
inline constexpr TFileType DefaultFileType{ftReadOnly | ftHidden | ftSystem | ftArchive};
