#include "service/CommandLine.h"

#include "service/NameRules.h"

namespace nimbra::service {

const char* CommandLine::Usage() {
    return "usage: nimbra-diskd --data DIR [--listen 127.0.0.1:PORT] [--demo] [--test-hooks]"
           " [--add-account NAME:PASSWORD]...\n";
}

std::optional<CommandLine> CommandLine::Parse(int argc, char** argv, std::string& error) {
    CommandLine result;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--demo") {
            result.options.demo = true;
        } else if (arg == "--test-hooks") {
            result.options.testHooks = true;
        } else if (arg == "--data" && hasValue) {
            result.options.dataDir = argv[++i];
        } else if (arg == "--listen" && hasValue) {
            const std::string value = argv[++i];
            const size_t colon = value.rfind(':');
            const auto port = colon == std::string::npos ? std::nullopt : ParseSize(value.substr(colon + 1));
            if (!port || *port > 65535 || colon == 0) {
                error = "--listen needs HOST:PORT, got '" + value + "'";
                return std::nullopt;
            }
            result.options.host = value.substr(0, colon);
            result.options.port = static_cast<int>(*port);
        } else if (arg == "--add-account" && hasValue) {
            const std::string value = argv[++i];
            const size_t colon = value.find(':');
            if (colon == std::string::npos || colon == 0) {
                error = "--add-account needs NAME:PASSWORD";
                return std::nullopt;
            }
            result.accounts.emplace_back(value.substr(0, colon), value.substr(colon + 1));
        } else {
            error = "unknown or incomplete argument '" + arg + "'";
            return std::nullopt;
        }
    }
    if (result.options.dataDir.empty()) {
        error = "--data DIR is required";
        return std::nullopt;
    }
    return result;
}

}  // namespace nimbra::service
