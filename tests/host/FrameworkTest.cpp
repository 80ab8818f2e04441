#include <gtest/gtest.h>

#include "TestHostCore.h"
#include "host/Framework.h"

namespace {

std::vector<uint32_t> g_delivered;
long Record(uint32_t id) {
    g_delivered.push_back(id);
    return 0;
}
long RecordTwice(uint32_t id) {
    g_delivered.push_back(id * 2);
    return 0;
}

class FrameworkTest : public ::testing::Test {
protected:
    void SetUp() override {
        FW_Reset();
        g_delivered.clear();
    }
    void TearDown() override { FW_Reset(); }
};

TEST_F(FrameworkTest, DeliversToSubscribersInOrderAndOnlyForTheirId) {
    ASSERT_EQ(FW_ToCompSubNotify(7, &Record), 0);
    ASSERT_EQ(FW_ToCompSubNotify(7, &RecordTwice), 0);
    ASSERT_EQ(FW_ToCompSubNotify(8, &Record), 0);
    // A repeated subscription is not a second delivery.
    ASSERT_EQ(FW_ToCompSubNotify(7, &Record), 0);

    EXPECT_EQ(FW_DeliverNotify(7), 2);
    EXPECT_EQ(g_delivered, (std::vector<uint32_t>{7, 14}));
    EXPECT_EQ(FW_DeliverNotify(9), 0);

    std::vector<uint32_t> ids;
    FW_GetSubscriptions(&ids);
    EXPECT_EQ(ids, (std::vector<uint32_t>{7, 7, 8}));
}

TEST_F(FrameworkTest, RefusesNotificationsTheHostDoesNotOfferAndNullCallbacks) {
    FW_SetOfferedNotifications([](uint32_t id) { return id != 5; });
    EXPECT_EQ(FW_ToCompSubNotify(5, &Record), -1);
    EXPECT_EQ(FW_ToCompSubNotify(6, &Record), 0);
    EXPECT_EQ(FW_ToCompSubNotify(6, nullptr), -1);
    EXPECT_EQ(FW_DeliverNotify(5), 0);
}

TEST_F(FrameworkTest, QueryInterfaceAppendsTheRegisteredObjectOrLeavesTheListEmpty) {
    testhost::Lang lang;
    const GUID id = IID_IORVALang;
    USInterfaceList list;
    FW_QueryInterface(&id, &list, 1);
    EXPECT_TRUE(list.empty());

    FW_RegisterInterface(&id, &lang);
    FW_QueryInterface(&id, &list, 1);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0], &lang);

    FW_RegisterInterface(&id, nullptr);
    list.clear();
    FW_QueryInterface(&id, &list, 1);
    EXPECT_TRUE(list.empty());
    FW_QueryInterface(nullptr, &list, 1);
    FW_QueryInterface(&id, nullptr, 1);
}

TEST_F(FrameworkTest, MemCmpComparesBytesAndSurvivesNull) {
    const char a[] = "abcd";
    const char b[] = "abce";
    EXPECT_EQ(US_MemCmp(a, a, 4), 0);
    EXPECT_NE(US_MemCmp(a, b, 4), 0);
    EXPECT_EQ(US_MemCmp(a, b, 3), 0);
    EXPECT_NE(US_MemCmp(a, nullptr, 4), 0);
    EXPECT_EQ(US_MemCmp(nullptr, nullptr, 4), 0);
}

}  // namespace
