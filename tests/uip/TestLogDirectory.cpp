// The module log of a test process goes to a folder of its own run, set before anything logs and removed
// when the process ends.

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

class TestLogDirectory {
public:
    TestLogDirectory() {
        char dir[] = "/tmp/nimbra-uip-test-XXXXXX";
        if (mkdtemp(dir)) {
            m_path = dir;
            setenv("NIMBRA_LOG_DIR", dir, 1);
        }
    }
    ~TestLogDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }

private:
    std::string m_path;
};

const TestLogDirectory kLogDirectory;

}  // namespace
