#pragma once
// A gmock of the engine adapter, for the component's dialog tests.

#include <gmock/gmock.h>

#include <cstdint>
#include <map>

#include "function/UIClassFactory.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"
#include "uip/UIPUpload/IUIPUpload.h"

class MockUIPUpload : public IUIPUpload {
public:
    MOCK_METHOD(long, InitUIPComp, (), (override));
    MOCK_METHOD(long, UninitUIPComp, (), (override));
    MOCK_METHOD(long, StartUpload, (UploadFileList&, const tagUploadInfo&, long), (override));
    MOCK_METHOD(long, GetUIPState, (), (override));
    MOCK_METHOD(long, Clean, (), (override));
    MOCK_METHOD(long, SyncUploadTask, (), (override));
    MOCK_METHOD(long, GetLastUploadList, (UploadFileList&), (override));
    MOCK_METHOD(long, PauseUpload, (long), (override));
    MOCK_METHOD(long, ResumeUpload, (long), (override));
    MOCK_METHOD(long, AbortUpload, (long), (override));
    MOCK_METHOD(long, DeleteUpload, (long), (override));
    MOCK_METHOD(long, ContUpload, (long), (override));
    MOCK_METHOD(long, GetProgress, (long, long, tagFileInfo&), (override));
    MOCK_METHOD(long, GetProgress, (long, tagUploadProgress&), (override));
    MOCK_METHOD(long, GetDownLOadProgress, (long&, tagFileInfo&), (override));
    MOCK_METHOD(long, GetTaskList, (long, FileInfoMap&), (override));
    MOCK_METHOD(long, DownloadFile, (const std::string&, const std::string&, long, LPARAM), (override));
    MOCK_METHOD(long, ContTask, (long, long), (override));
    MOCK_METHOD(long, PauseTask, (long, long), (override));
    MOCK_METHOD(long, ResumeTask, (long, long), (override));
    MOCK_METHOD(long, DeleteTask, (long, long), (override));
    MOCK_METHOD(long, AbortTask, (long, long), (override));
    MOCK_METHOD(long, Init, (const std::string&, const std::string&, long, const std::string&), (override));
    MOCK_METHOD(long, GetErrorCode, (long, long), (override));
    MOCK_METHOD(long, SetSSOFlag, (long), (override));
    MOCK_METHOD(long, GetNextTry, (long, long), (override));
};

// Upload progress (the two-argument GetProgress) answered from a map of task id to state, which the test
// changes as the engine would; an id not in it is one the engine does not know.
inline void AnswerUploadStates(MockUIPUpload& adapter, const std::map<int32_t, int32_t>& states) {
    ON_CALL(adapter, GetProgress(::testing::_, ::testing::An<tagUploadProgress&>()))
        .WillByDefault([&states](long id, tagUploadProgress& progress) {
            const auto found = states.find(static_cast<int32_t>(id));
            if (found == states.end()) {
                return -1L;
            }
            progress.nState = found->second;
            return 0L;
        });
}

// While it lives, the class factory hands out the given adapter (a mock) wherever the component asks for
// the engine adapter. Declare it after the mock it installs.
class ScopedAdapterInstall {
public:
    explicit ScopedAdapterInstall(IUIPUpload* adapter) {
        RegisterComponentClasses();
        Installed() = adapter;
        CUIClassFactory::Instance()->Register(typeid(IUIPUpload),
                                              [] { return static_cast<void*>(Installed()); });
    }
    ~ScopedAdapterInstall() {
        CUIClassFactory::Instance()->Unregister(typeid(IUIPUpload));
        Installed() = nullptr;
    }
    ScopedAdapterInstall(const ScopedAdapterInstall&) = delete;
    ScopedAdapterInstall& operator=(const ScopedAdapterInstall&) = delete;

private:
    static IUIPUpload*& Installed() {
        static IUIPUpload* adapter = nullptr;
        return adapter;
    }
};

// A GetProgress answer: these bytes done, in this task state.
inline auto ReportsProgress(uint64_t done, int32_t state) {
    return ::testing::Invoke([=](long, tagUploadProgress& out) {
        out.ullDone = done;
        out.nState = state;
        return 0;
    });
}
