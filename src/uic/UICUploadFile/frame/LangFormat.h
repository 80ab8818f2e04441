#pragma once
// Fills a language text's "%s" and "%d" conversions with ready-made argument texts, in order. "%%"
// reads as "%"; other conversions, and conversions beyond the arguments, stay as written, so a language
// file can never make the formatting read arguments that are not there.

#include <string>
#include <vector>

std::string FormatLangText(const std::string& format, const std::vector<std::string>& args);
