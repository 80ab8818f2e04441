#include <gtest/gtest.h>

#include "TestHostCore.h"
#include "function/ToolsHelp.h"
#include "uic/UICUploadFile/transfer/TransferText.h"

namespace {

class ErrorTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_IOrvaLange = nullptr;
        for (const char* code : {"8000", "9156", "9162", "9436", "9476", "9493"}) {
            host.lang.texts[{"UPLOAD", std::string("IDS_UPLOAD_ERROR_") + code}] =
                std::string("text ") + code;
        }
        host.lang.texts[{"UPLOAD", "IDS_UPLOAD_ERROR_UNKNOW"}] = "未知错误(%d)";
    }
    void TearDown() override { g_IOrvaLange = nullptr; }

    testhost::TestHostCore host;
};

TEST_F(ErrorTextTest, KnownCodesHaveTheirOwnTextsAndOthersTheUnknownFormat) {
    EXPECT_EQ(GetErrorInfoByCode(-1), "");
    for (const long code : {8000, 9156, 9162, 9436, 9476, 9493}) {
        EXPECT_EQ(GetErrorInfoByCode(code), "text " + std::to_string(code));
    }
    EXPECT_EQ(GetErrorInfoByCode(1234), "未知错误(1234)");
    EXPECT_EQ(GetErrorInfoByCode(0), "未知错误(0)");
}

}  // namespace
