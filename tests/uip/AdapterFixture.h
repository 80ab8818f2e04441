#pragma once
// The engine adapter under test, bound to a scripted engine installed in the process's class factory
// registry, with a callback object that records every report, and the module log read back.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RecordingCallBack.h"
#include "ScriptedEngine.h"
#include "uip/UIPUpload/ClassRegistry.h"
#include "uip/UIPUpload/EngineActivation.h"
#include "uip/UIPUpload/UIPUploadComp.h"

// Text as UTF-8 bytes (the engine's side), whatever the narrow literal code page of this file.
std::string Utf8(const char8_t* text);

class UIPAdapterTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // InitUIPComp succeeded and the calls it made are forgotten.
    void Bind();
    // What the module log received since the test began.
    std::string LogSinceStart() const;
    // The task database path the adapter hands the engine for the scripted account.
    static std::string DatabasePath(const std::string& account);

    ComPtr<scripted::Engine> m_engine;
    ComPtr<scripted::Globals> m_globals;
    ComPtr<scripted::Factory> m_engineFactory;
    ComPtr<scripted::Factory> m_globalsFactory;
    RecordingCallBack m_callBack;
    // No engine library is known to this table, so every class comes from the registered factories.
    CEngineActivation m_activation{std::initializer_list<EngineLibraryClasses>{}};
    CUIPUploadComp m_adapter{m_activation};

private:
    size_t m_logStart = 0;
};
