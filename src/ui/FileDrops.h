// Files dragged from a file manager onto a nick or a query window, which
// offers them to that nick over DCC.
#pragma once

#include <string>
#include <vector>

class QMimeData;

namespace zorl::ui {

// The local files a drag carries, as paths; empty when it carries none.
std::vector<std::string> DroppedFiles(const QMimeData* mime);

}  // namespace zorl::ui
