// The two editors of the properties dialog's "Files" page. Each saves what
// it edits at once; reading the edited lists back is the caller's business.
#pragma once

#include <string>

#include "platform/Dialogs.h"

namespace zorl {

class CZorlApp;

class CFileEditors {
public:
    explicit CFileEditors(CZorlApp& app) : app_(app) {}

    // The editor behind one button of the page.
    void Edit(FilesEditor editor);

    // A numbered list section, one value a line; empty lines are dropped and
    // the keys past the new end removed.
    void EditList(const std::string& file, const std::string& section);
    // A text file of the configuration folder, written back as it stands
    // (with the file's own line ends). A name that would leave the folder is
    // refused.
    void EditFile(const std::string& name);
    // Asks for the file name first.
    void EditTextfile();

private:
    CZorlApp& app_;
};

}  // namespace zorl
