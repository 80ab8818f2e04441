// nimbra-diskd: runs the network-disk service until SIGTERM or SIGINT.
#include <csignal>
#include <iostream>

#include "service/CommandLine.h"
#include "service/DiskService.h"

using nimbra::service::CommandLine;
using nimbra::service::DiskService;

int main(int argc, char** argv) {
    std::string error;
    const auto commandLine = CommandLine::Parse(argc, argv, error);
    if (!commandLine) {
        std::cerr << "nimbra-diskd: " << error << "\n" << CommandLine::Usage();
        return 2;
    }
    // Blocked before any thread starts, so that only sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    DiskService service(commandLine->options);
    for (const auto& [name, password] : commandLine->accounts) {
        if (!service.AddAccount(name, password, commandLine->options.defaultQuotaBytes) &&
            !service.LastError().empty())
            return 1;
    }
    if (!service.Start())
        return 1;
    std::cout << "nimbra-diskd listening on " << service.BaseUrl() << std::endl;

    int received = 0;
    sigwait(&stopSignals, &received);
    service.Stop();
    return 0;
}
