#pragma once
// What the benchmark needs besides the engine: signing in, finding an uploaded file, and running the curl
// command line as the reference client.

#include <string>
#include <vector>

namespace nimbra::bench {

class ReferenceClient final {
public:
    explicit ReferenceClient(std::string serviceUrl);

    // The sign-on token of the account; empty on failure.
    std::string SignIn(const std::string& account, const std::string& password) const;
    // The id of a file of that name in the top catalog; empty when absent.
    std::string FileId(const std::string& token, const std::string& name) const;
    // Runs curl with these arguments; false when it fails.
    static bool Curl(const std::vector<std::string>& args);
    // Creates a tus upload of length bytes named name and returns its URL (curl, one request).
    std::string CreateUpload(const std::string& token, const std::string& name,
                             unsigned long long length) const;

private:
    std::string m_serviceUrl;
};

}  // namespace nimbra::bench
