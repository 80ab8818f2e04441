#pragma once
// Whole files in and out, for the skin tests.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

inline std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Makes the missing folders on the way.
inline void Write(const std::filesystem::path& path, const std::string& content) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}
