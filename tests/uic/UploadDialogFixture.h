#pragma once
// The fixture of the tests that start at the upload dialog: the test host with the upload texts, the
// scripted prompts and skin in place of the desktop's, a mock engine adapter that is ready, the component,
// and a folder for the local files the tests make.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "MockUIPUpload.h"
#include "TestHost.h"
#include "UploadTestTexts.h"
#include "function/ToolsHelp.h"
#include "function/UIClassFactory.h"
#include "platform/CodePage.h"
#include "platform/ScriptedPrompts.h"
#include "platform/ScriptedSkin.h"
#include "platform/Services.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"
#include "uic/UICUploadFile/upload/UICUploadDlg.h"

// The texts of the tips shown so far, in order.
inline std::vector<std::string> TipTexts(const ScriptedSkin& skin) {
    std::vector<std::string> texts;
    for (const auto& tip : skin.Tips()) {
        texts.push_back(tip.text);
    }
    return texts;
}

class UploadDialogFixture : public ::testing::Test {
protected:
    void SetUp() override {
        UseKeyNamesAsUploadTexts(host.lang);
        g_IOrvaLange = &host.lang;
        Services::SetPrompts(&prompts);
        Services::SetSkin(&skin);
        ON_CALL(adapter, GetUIPState()).WillByDefault(::testing::Return(2));
        component = CreateUIInstance<CUICUploadComp>();
    }
    void TearDown() override {
        UISingleton<CUICUploadComp>::Destroy();
        Services::SetPrompts(nullptr);
        Services::SetSkin(nullptr);
        g_IOrvaLange = nullptr;
    }

    // The upload dialog shown over the catalog document, as the host shows it; null when it does not open.
    CUICUploadDlg* ShowUploadDialog(const std::string& catalogDoc) {
        EXPECT_EQ(component->ShowUpload(catalogDoc, nullptr), 0);
        return component->GetUICUploadDlg();
    }
    static std::string ConfigFile() { return CToolsHelp::GetProgramDir() + "config.ini"; }
    // A local file of size bytes in the test's folder; its path (GB18030).
    std::string File(const std::string& name, int size) {
        QFile file(m_files.path() + "/" + ToQString(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(size, 'x'));
        return FromQString(file.fileName());
    }
    std::vector<std::string> TipTexts() const { return ::TipTexts(skin); }

    testhost::TestHost host;
    ::testing::NiceMock<MockUIPUpload> adapter;
    ScopedAdapterInstall adapterInstall{&adapter};
    ScriptedPrompts prompts;
    ScriptedSkin skin;
    CUICUploadComp* component = nullptr;
    QTemporaryDir m_files;
};
