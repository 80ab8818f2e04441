#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fstream>

#include "ServiceFixture.h"

extern char** environ;

namespace nimbra::service::test {
namespace {

using InteropTest = ServiceFixture;

// Runs a program and returns its exit status and standard output.
std::pair<int, std::string> RunProgram(const std::vector<std::string>& args) {
    int out[2];
    if (pipe(out) != 0)
        return {-1, {}};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<char*> argv;
    for (const auto& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string output;
    char buffer[256];
    ssize_t n = 0;
    while ((n = read(out[0], buffer, sizeof(buffer))) > 0)
        output.append(buffer, static_cast<size_t>(n));
    close(out[0]);
    if (spawned != 0)
        return {-1, output};
    int status = 0;
    waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

TEST_F(InteropTest, TusJsClientUploadsWithPauseAndResume) {
    const std::filesystem::path interop = NIMBRA_INTEROP_DIR;
    if (!std::filesystem::exists(interop / "node_modules" / "tus-js-client"))
        GTEST_SKIP() << "run scripts/setup-npm.sh to install the tus client";

    std::string content(300 * 1024 + 17, '\0');
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i * 2654435761u >> 13);
    const auto file = m_dataDir / "interop.bin";
    std::ofstream(file, std::ios::binary) << content;

    const auto [status, output] = RunProgram({"node", (interop / "upload.cjs").string(),
                                              m_service->BaseUrl() + kEndpoint, m_token, file.string()});
    ASSERT_EQ(status, 0) << output;
    const std::string fileId = output.substr(0, output.find('\n'));
    EXPECT_TRUE(Download(fileId) == content);
    EXPECT_NE(m_client->Get("/lumenoApp/catalog/root/files", Auth())->body.find("tag=\"interop\""),
              std::string::npos);
}

}  // namespace
}  // namespace nimbra::service::test
