#pragma once
// The one place where text changes code page. The component's narrow strings are GB18030; the file
// system and the engine speak UTF-8; widgets speak QString. Invalid input never stops a conversion:
// each undecodable byte becomes a replacement character and the rest of the text is converted.

#include <string>
#include <string_view>

class QString;

std::string Gb18030ToUtf8(std::string_view gb18030);
std::string Utf8ToGb18030(std::string_view utf8);

QString ToQString(std::string_view gb18030);
std::string FromQString(const QString& text);
