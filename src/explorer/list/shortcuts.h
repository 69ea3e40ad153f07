#pragma once

#include <QtGlobal>

class QKeyEvent;

// A key combination as the file list's settings hold it: the virtual key code in the
// low byte, plus 0x2000 for Shift, 0x4000 for Ctrl and 0x8000 for Alt. 0 is no key.
using TShortCut = quint16;

inline constexpr TShortCut ShortCutShift = 0x2000;
inline constexpr TShortCut ShortCutCtrl = 0x4000;
inline constexpr TShortCut ShortCutAlt = 0x8000;

// The virtual key codes the list knows by name.
namespace vk {
inline constexpr int Back = 8;
inline constexpr int Return = 13;
inline constexpr int Escape = 27;
inline constexpr int Delete = 46;
inline constexpr int F1 = 112;
inline constexpr int F2 = 113;
inline constexpr int F3 = 114;
inline constexpr int F4 = 115;
inline constexpr int F5 = 116;
} // namespace vk

// The virtual key code of a Qt key (letters and digits as their upper-case character,
// F1..F24 from 112 on, the usual editing and movement keys); 0 for keys without one.
int VirtualKey(int qtKey);
// The combination of a key press: its virtual key and the Shift, Ctrl and Alt it was
// pressed with.
TShortCut ShortCutOf(const QKeyEvent& event);

// The actions of the file list that keys are bound to, as bits of TQvListViewActions.
enum TQvListViewAction
{
    vaCopy,
    vaPaste,
    vaCut,
    vaOpen,
    vaView,
    vaNewFolder,
    vaSelectAll,
    vaDelete,
    vaBack,
    vaRename,
    vaFindFile,
    vaRefresh,
};
using TQvListViewActions = quint16;
inline constexpr TQvListViewActions AllListViewActions = 0x0fff; // all twelve

inline constexpr bool HasAction(TQvListViewActions actions, TQvListViewAction action)
{
    return actions & (1u << action);
}

// The twelve key bindings of a file list and which of them are active.
class TQvFileListShortCuts
{
public:
    TShortCut scCopy = ShortCutCtrl | 'C';
    TShortCut scPaste = ShortCutCtrl | 'V';
    TShortCut scCut = ShortCutCtrl | 'X';
    TShortCut scOpen = ShortCutCtrl | 'O';
    TShortCut scView = ShortCutCtrl | 'F';
    TShortCut scNewFolder = ShortCutCtrl | 'N';
    TShortCut scSelectAll = ShortCutCtrl | 'A';
    TShortCut scDelete = vk::Delete;
    TShortCut scBack = vk::Back;
    TShortCut scRename = vk::F2;
    TShortCut scFindFile = vk::F3;
    TShortCut scRefresh = vk::F5;
    TQvListViewActions Actions = AllListViewActions;

    // Copies the twelve bindings and the active actions.
    void Assign(const TQvFileListShortCuts& source) { *this = source; }
    bool Active(TQvListViewAction action) const { return HasAction(Actions, action); }
};
