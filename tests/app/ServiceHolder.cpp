// Helper for EmbeddedServiceTest: starts nimbra-diskd through EmbeddedService, prints its address and
// waits to be killed.
#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>

#include "EmbeddedService.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir data;
    nimbra::app::EmbeddedService service;
    if (argc < 2 || !service.Start(argv[1], data.filePath("disk"), {}))
        return 1;
    std::printf("%s\n", service.BaseUrl().toUtf8().constData());
    std::fflush(stdout);
    return QCoreApplication::exec();
}
