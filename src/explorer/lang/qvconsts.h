#pragma once

// The explorer controls' language tables: the language enumeration, the fixed string
// table of every language, and the process-wide message texts that the directory trees,
// the file lists and their helpers read when they build a message.
//
// Everything here belongs to the user-interface thread.

#include <QString>
#include <QtGlobal>

// The languages of the explorer controls. lnSysDefault is only an input meaning "follow
// the system"; a control resolves it and never stores it.
enum TLanguage
{
    lnSysDefault,
    lnEnglish,
    lnChinese_Tra,
    lnChinese_Sim,
    lnDutch,
    lnFrench,
    lnGerman,
    lnItalian,
    lnJapanese,
    lnPolish,
    lnPortuguese,
    lnSlovenian,
    lnSlovak,
    lnSpanish,
    lnSwedish,
    lnKorean,
    lnTurkish,
};

// Number of TLanguage values, lnSysDefault included.
inline constexpr int LanguageCount = lnTurkish + 1;

// The keys of the string table. The message keys (from StrDrive on) also have a shared,
// process-wide text that the loaders below fill.
enum class TStrKey
{
    // Column captions and drive types
    StrColName,
    StrColSize,
    StrColType,
    StrColModified,
    StrColAttr,
    StrColDiskSize,
    StrColFreeSpace,
    StrDriveUnknown,
    StrDriveNotExist,
    StrDriveRemovable,
    StrDriveFixed,
    StrDriveNetwork,
    StrDriveCDROM,
    StrDriveRAM,
    // File list menu and its Send To submenu
    StrListOpen,
    StrListView,
    StrListSendTo,
    StrListCut,
    StrListCopy,
    StrListPaste,
    StrListRename,
    StrListDelete,
    StrListProperties,
    StrListNewFolder,
    StrSendAnyFolder,
    StrSendClipContents,
    StrSendClipFileName,
    StrSendDesktopShortcut,
    // Directory tree menu
    StrTreeNewFolder,
    StrTreeRenameFolder,
    StrTreeDeleteFolder,
    StrTreeCut,
    StrTreeCopy,
    StrTreePaste,
    StrTreeSize,
    StrTreeFolderContents,
    StrTreeMapDrive,
    StrTreeDisconnectDrive,
    StrTreeProperty,
    // Message texts
    StrDrive,
    StrFolderQuote,
    StrErrorPrefix,
    StrFileWord,
    StrFrom,
    StrTo,
    StrCancel,
    StrBrowse,
    StrErrorCant,
    StrSpecifyDir,
    StrInvalidDrive,
    StrNoDisk,
    StrAlreadyExists,
    StrInvalidDirName,
    StrConfirmRename,
    StrCantAddDrives,
    StrNewFolderName,
    StrInvalidChars,
    StrNotFound,
    StrFilesIn,
    StrFileOpFailed,
    StrReadOnlyFile,
    StrNoFileSelected,
    StrSendToAnyFolder,
    StrEnterSendToPath,
    StrShortcutFailed,
    StrTreeSizeTitle,
    StrAndSubFolders,
    Count
};

// The text of `key` in `lang`, straight from the read-only table. Empty for
// lnSysDefault and for values outside the enumerations. O(1).
QString ExplorerString(TStrKey key, TLanguage lang);

// The concrete language for a Windows language id (primary | sublanguage << 10):
// Chinese splits into Simplified (sublanguage 2) and Traditional (every other
// sublanguage); a language without a table of its own gives English.
TLanguage ResolveLanguage(quint16 langId);

// Whether `key` is a message key and which loader copies it.
bool IsMessageKey(TStrKey key);
bool LoadedByTree(TStrKey key);
bool LoadedByList(TStrKey key);

// The shared message text of `key` as last loaded by LoadTreeTexts or LoadListTexts.
// Empty before any load and for keys that are not message keys.
QString SharedText(TStrKey key);

// The language last applied by any directory tree and by any file list. Plain
// process-wide variables, lnSysDefault at start; the controls set them when their
// language changes, the loaders and the menu builders read them.
extern TLanguage CurrentTreeLanguage;
extern TLanguage CurrentListLanguage;

// Copy the tree's (respectively the list's) message texts of CurrentTreeLanguage
// (CurrentListLanguage) into the shared texts. Eight keys are copied by both, so those
// hold the texts of whichever kind loaded last. With lnSysDefault nothing changes.
void LoadTreeTexts();
void LoadListTexts();

// Back to the start state: both current languages lnSysDefault, all shared texts
// empty. For tests.
void ResetExplorerTexts();
