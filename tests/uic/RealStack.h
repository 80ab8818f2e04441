#pragma once
// The real stack under the component for end-to-end tests: a nimbra-diskd on 127.0.0.1 with a fresh
// account, the engine libraries with that account as their user, and the scripted host signed in to it.

#include <httplib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "TestHost.h"
#include "platform/ScriptedPrompts.h"
#include "platform/ScriptedSkin.h"
#include "platform/ScriptedSound.h"
#include "service/DiskService.h"

class CUICUploadComp;

// The scripted prompts, skin and sound in place of the desktop's while this object lives.
struct ScriptedDesktop {
    ScriptedDesktop();
    ~ScriptedDesktop();
    ScriptedDesktop(const ScriptedDesktop&) = delete;
    ScriptedDesktop& operator=(const ScriptedDesktop&) = delete;

    ScriptedPrompts prompts;
    ScriptedSkin skin;
    ScriptedSound sound;
};

class RealStack {
public:
    // Starts the service and signs the host in; failures are reported as fatal test failures (check
    // HasFatalFailure() after the call).
    void Start(testhost::TestHost& host, const std::string& accountPrefix, bool testHooks);
    // Unbinds the engine, drops the component and removes everything Start made.
    void Stop();
    // The component as a host has it once signed in: given the login document, then told of the login,
    // which binds the engine. Null (with a test failure) when it cannot be had.
    CUICUploadComp* SignedInComponent();

    // A client of the service that presents the account's sign-on token.
    httplib::Client Client() const;
    int Port() const { return m_service->Port(); }
    const std::filesystem::path& Dir() const { return m_dir; }
    const std::string& Account() const { return m_account; }
    const std::string& Token() const { return m_token; }
    // The login result document as the host hands it to the component (GB18030).
    const std::string& LoginDoc() const { return m_loginDoc; }

private:
    std::filesystem::path m_dir;
    std::unique_ptr<nimbra::service::DiskService> m_service;
    std::string m_account;
    std::string m_token;
    std::string m_loginDoc;
};
