#include "DiskdProcess.h"

#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

extern char** environ;

namespace nimbra::service::test {

DiskdProcess::DiskdProcess(std::vector<std::string> arguments) {
    std::string dir = (std::filesystem::temp_directory_path() / "nimbra-diskd-proc-XXXXXX").string();
    if (!mkdtemp(dir.data()))
        return;
    m_dataDir = dir;
    arguments.insert(arguments.begin(), {NIMBRA_DISKD_PATH, "--data", dir, "--listen", "127.0.0.1:0"});
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    int out[2];
    if (pipe(out) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const int spawned = posix_spawn(&m_pid, NIMBRA_DISKD_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0)
        m_pid = -1;
    char c = 0;
    while (m_pid > 0 && read(out[0], &c, 1) == 1 && c != '\n')
        m_firstLine += c;
    close(out[0]);
    const size_t colon = m_firstLine.rfind(':');
    if (colon != std::string::npos)
        m_port = std::atoi(m_firstLine.c_str() + colon + 1);
}

DiskdProcess::~DiskdProcess() {
    Stop();
    std::error_code ec;
    if (!m_dataDir.empty())
        std::filesystem::remove_all(m_dataDir, ec);
}

int DiskdProcess::Stop() {
    if (m_pid <= 0)
        return -1;
    kill(m_pid, SIGTERM);
    int status = 0;
    const bool waited = waitpid(m_pid, &status, 0) == m_pid;
    m_pid = -1;
    return waited && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

size_t DiskdProcess::StatusBytes(const std::string& field) const {
    std::ifstream status("/proc/" + std::to_string(m_pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::stoull(line.substr(field.size())) * 1024;  // "VmRSS:   1234 kB"
    return 0;
}

}  // namespace nimbra::service::test
