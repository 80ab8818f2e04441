#include "platform/AppProfile.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QtGlobal>

namespace {

class AppProfile : public ::testing::Test {
protected:
    // QSettings finds its file through XDG_CONFIG_HOME, read once per process.
    static void SetUpTestSuite() {
        s_dir = new QTemporaryDir;
        qputenv("XDG_CONFIG_HOME", s_dir->path().toUtf8());
    }
    static void TearDownTestSuite() { delete s_dir; }
    static QTemporaryDir* s_dir;
};

QTemporaryDir* AppProfile::s_dir = nullptr;

TEST_F(AppProfile, PlacementTextRoundTrips) {
    EXPECT_EQ(GetProfileString("Nimbra", "UploadPos", "none"), "none");
    ASSERT_TRUE(WriteProfileString("Nimbra", "UploadPos", "10,20,310,120,1,0"));
    EXPECT_EQ(GetProfileString("Nimbra", "UploadPos"), "10,20,310,120,1,0");
    EXPECT_EQ(GetProfileString("Nimbra", "UploadSuspend", "none"), "none");
    EXPECT_TRUE(QFile::exists(s_dir->path() + "/Nimbra/Nimbra.conf"));
}

TEST_F(AppProfile, Gb18030TextRoundTripsAndNullValueRemoves) {
    const std::string text = "我的网盘\x95\x32\x82\x36";
    ASSERT_TRUE(WriteProfileString("Nimbra", "LastFolder", text.c_str()));
    EXPECT_EQ(GetProfileString("Nimbra", "LastFolder"), text);

    ASSERT_TRUE(WriteProfileString("Nimbra", "LastFolder", nullptr));
    EXPECT_EQ(GetProfileString("Nimbra", "LastFolder", "gone"), "gone");
}

}  // namespace
