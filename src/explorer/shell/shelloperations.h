#pragma once

// The operation codes the directory trees and the file lists hand around, and the
// two process-wide variables that remember the latest cut/copy and the drag being
// started. Everything here belongs to the user-interface thread.

// An explorer operation. opNone means that nothing has been cut or copied yet.
enum TFileOpCode
{
    opNone = -1,
    opCopy = 0,
    opDelete = 1,
    opMove = 2,
    opRename = 3,
};

// The operation numbers ShellFileOp takes.
inline constexpr int FO_MOVE = 1;
inline constexpr int FO_COPY = 2;
inline constexpr int FO_DELETE = 3;
inline constexpr int FO_RENAME = 4;

// The FO_* number for an explorer code: opCopy -> FO_COPY, opDelete -> FO_DELETE,
// opMove -> FO_MOVE, opRename -> FO_RENAME. opNone, and any value outside the
// enumeration, names no operation and gives 0.
int ShellOperationFor(TFileOpCode code);

// The code of the latest cut (opMove) or copy (opCopy) in any list or tree; the
// pastes of both read it. opNone at start.
extern TFileOpCode ClipOperation;

// The code of the drag being started: opCopy when Ctrl was held at the mouse press
// that began it, else opMove. opNone at start.
extern TFileOpCode DragOperation;
