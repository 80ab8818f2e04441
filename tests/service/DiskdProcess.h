#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace nimbra::service::test {

// nimbra-diskd run as its own process over a fresh data folder, as a client meets it.
class DiskdProcess {
public:
    // `arguments` come after --data and --listen 127.0.0.1:0.
    explicit DiskdProcess(std::vector<std::string> arguments);
    ~DiskdProcess();
    DiskdProcess(const DiskdProcess&) = delete;
    DiskdProcess& operator=(const DiskdProcess&) = delete;

    // The line the service printed once it accepted connections ("" when it did not start).
    const std::string& FirstLine() const { return m_firstLine; }
    int Port() const { return m_port; }
    // Stops it with SIGTERM; its exit status, or -1 when it did not exit normally.
    int Stop();
    // Resident memory now and at its peak, from /proc.
    size_t ResidentBytes() const { return StatusBytes("VmRSS:"); }
    size_t PeakResidentBytes() const { return StatusBytes("VmHWM:"); }

private:
    size_t StatusBytes(const std::string& field) const;

    std::filesystem::path m_dataDir;
    pid_t m_pid = -1;
    std::string m_firstLine;
    int m_port = 0;
};

}  // namespace nimbra::service::test
