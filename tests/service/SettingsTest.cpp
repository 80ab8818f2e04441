#include <gtest/gtest.h>

#include "ServiceFixture.h"

namespace nimbra::service::test {
namespace {

using SettingsTest = ServiceFixture;

TEST_F(SettingsTest, StoresPerAccountAndReplaces) {
    EXPECT_EQ(m_client->Get("/lumenoApp/settings/UploadTaskInfo", Auth())->status, 404);
    EXPECT_EQ(m_client->Put("/lumenoApp/settings/UploadTaskInfo", Auth(), "1,2,3", "text/plain")->status,
              204);
    EXPECT_EQ(m_client->Put("/lumenoApp/settings/UploadTaskInfo", Auth(), "4", "text/plain")->status, 204);
    EXPECT_EQ(m_client->Get("/lumenoApp/settings/UploadTaskInfo", Auth())->body, "4");

    ASSERT_TRUE(m_service->AddAccount("bob", "pw", 1));
    EXPECT_EQ(m_client->Get("/lumenoApp/settings/UploadTaskInfo", Auth(Login("bob", "pw")))->status, 404);
}

TEST_F(SettingsTest, RefusesLargeValuesAndBadNames) {
    auto large =
        m_client->Put("/lumenoApp/settings/big", Auth(), std::string(64 * 1024 + 1, 'x'), "text/plain");
    ASSERT_TRUE(large);
    EXPECT_EQ(large->status, 413);
    m_client = NewClient();
    EXPECT_EQ(
        m_client->Put("/lumenoApp/settings/big", Auth(), std::string(64 * 1024, 'x'), "text/plain")->status,
        204);
    EXPECT_EQ(m_client->Put("/lumenoApp/settings/a%20b", Auth(), "v", "text/plain")->status, 404);
    EXPECT_EQ(m_client->Put("/lumenoApp/settings/x", "v", "text/plain")->status, 401);
}

}  // namespace
}  // namespace nimbra::service::test
