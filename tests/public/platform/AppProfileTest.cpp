#include "platform/AppProfile.h"

#include <gtest/gtest.h>

#include "TemporaryProfileTest.h"

#include <QTemporaryDir>
#include <QtGlobal>

namespace {

using AppProfile = TemporaryProfileTest;

TEST_F(AppProfile, PlacementTextRoundTrips) {
    EXPECT_EQ(GetProfileString("Nimbra", "UploadPos", "none"), "none");
    ASSERT_TRUE(WriteProfileString("Nimbra", "UploadPos", "10,20,310,120,1,0"));
    EXPECT_EQ(GetProfileString("Nimbra", "UploadPos"), "10,20,310,120,1,0");
    EXPECT_EQ(GetProfileString("Nimbra", "UploadSuspend", "none"), "none");
    EXPECT_TRUE(QFile::exists(ProfileDir() + "/Nimbra/Nimbra.conf"));
}

TEST_F(AppProfile, Gb18030TextRoundTripsAndNullValueRemoves) {
    const std::string text = "我的网盘\x95\x32\x82\x36";
    ASSERT_TRUE(WriteProfileString("Nimbra", "LastFolder", text.c_str()));
    EXPECT_EQ(GetProfileString("Nimbra", "LastFolder"), text);

    ASSERT_TRUE(WriteProfileString("Nimbra", "LastFolder", nullptr));
    EXPECT_EQ(GetProfileString("Nimbra", "LastFolder", "gone"), "gone");
}

}  // namespace
