// Where the engine's byte strings meet Qt's QString, for the platform
// services (dialogs, shell, file names).
#pragma once

#include <QString>
#include <string>

namespace zorl::qt {

// Engine text for display: UTF-8 when it is valid UTF-8, otherwise
// Windows-1252 (what older clients and servers send).
QString TextToQString(const std::string& text);
// Typed text for the engine: UTF-8.
std::string TextFromQString(const QString& text);

// A file-dialog filter of the form "Log files (*.log) | *.log||" (pairs of
// label and patterns, "|"-separated, ended by an empty pair; patterns split
// by ";") in Qt's form "Log files (*.log)" (entries split by ";;").
QString ConvertFileFilter(const std::string& filter);

}  // namespace zorl::qt
