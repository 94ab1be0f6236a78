// Modal dialogs. Each call runs a nested event loop in the real host: any
// socket event or tick may be handled before it returns, so callers look
// their windows and sockets up again afterwards instead of keeping pointers.
#pragma once

#include <string>

namespace zorl {

enum class BoxIcon { None, Information, Exclamation, Error, Question };
enum class BoxAnswer { Ok, Cancel, Yes, No };

class IDialogs {
public:
    virtual ~IDialogs() = default;
    virtual BoxAnswer MessageBox(const std::string& text, BoxIcon icon = BoxIcon::None,
                                 bool yesNo = false) = 0;
    // The "$?" prompt and other one-line requests. False on cancel.
    virtual bool InputRequest(const std::string& title, const std::string& prompt,
                              std::string& answer) = 0;
    // A file-open dialog; `filter` is "Label (*.ext) | *.ext||". `path` names
    // the folder to start in (empty: the working directory) and receives the
    // chosen file. False on cancel.
    virtual bool OpenFile(const std::string& filter, const std::string& defaultExtension,
                          std::string& path) = 0;
};

}  // namespace zorl
