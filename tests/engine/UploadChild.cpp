// A separate process that starts one upload through the engine and reports its progress on stdout, so that
// a test can kill it with SIGKILL in the middle of the transfer.
// Usage: engine_upload_child DATABASE HOST PORT REQUEST_PATH SIGN_ON FILE

#include <chrono>
#include <cstdio>
#include <thread>

#include "EngineLibrary.h"

int main(int argc, char** argv) {
    if (argc != 7) {
        std::fprintf(stderr, "usage: %s DATABASE HOST PORT REQUEST_PATH SIGN_ON FILE\n", argv[0]);
        return 2;
    }
    nimbra::engine::EngineLibrary library;
    auto engine = library.CreateUpload();
    if (!engine) {
        return 1;
    }
    engine->Init("alice", argv[4], argv[2], std::atoi(argv[3]), argv[5], argv[1]);
    auto task = engine->AddUpLoadFile();
    task->PutfileName(argv[6]);
    engine->UpLoad(OrvULD::ORV_UPLOAD_OPERATE_TYPE_REQUEST_ID);
    for (;;) {
        std::printf("%d %llu\n", task->GetState(), static_cast<unsigned long long>(task->GetProgress()));
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}
