#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "service/ServiceOptions.h"

namespace nimbra::service {

// nimbra-diskd --data DIR [--listen HOST:PORT] [--demo] [--test-hooks] [--add-account NAME:PASSWORD]...
struct CommandLine {
    ServiceOptions options;
    std::vector<std::pair<std::string, std::string>> accounts;

    // nullopt with `error` set when the arguments are not usable.
    static std::optional<CommandLine> Parse(int argc, char** argv, std::string& error);
    static const char* Usage();
};

}  // namespace nimbra::service
