#pragma once
// A gmock of the engine adapter, for the component's dialog tests.

#include <gmock/gmock.h>

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
};
