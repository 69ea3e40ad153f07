#include "explorer/shell/shelloperations.h"

#include <array>

TFileOpCode ClipOperation = opNone;
TFileOpCode DragOperation = opNone;

int ShellOperationFor(TFileOpCode code)
{
    // Indexed by the explorer code.
    static constexpr std::array<int, 4> kTable = {FO_COPY, FO_DELETE, FO_MOVE, FO_RENAME};
    const int i = static_cast<int>(code);
    if (i < 0 || i >= static_cast<int>(kTable.size()))
        return 0;
    return kTable[static_cast<std::size_t>(i)];
}
