#include "uic/UICUploadFile/catalog/CatalogDocument.h"

#include <gtest/gtest.h>

#include "CatalogNodes.h"
#include "TestHostCore.h"
#include "function/ToolsHelp.h"

namespace {

using Result = CCatalogDocument::ParseResult;

std::string Doc(const std::string& nodes,
                const std::string& url = "http://127.0.0.1:8090/lumenoApp/share/up") {
    return CatalogResult(url, nodes, "<MaxUploadFilesNumber>5</MaxUploadFilesNumber>");
}

const std::string kMyFolder = "我的文件夹";

TEST(CatalogDocumentTest, TopAndCurrentChildGivePathsIdsAndServer) {
    CCatalogDocument doc;
    const std::string xml = Doc(CatalogNode("root", "", "top") + CatalogNode("11", "root", kMyFolder) +
                                CatalogNode("12", "root", "照片", 1) + CatalogNode("13", "12", "2020"));
    ASSERT_EQ(doc.ParseXML(xml, kMyFolder, false), Result::BuildTree);

    EXPECT_EQ(doc.Server().strHost, "127.0.0.1");
    EXPECT_EQ(doc.Server().nPort, 8090);
    EXPECT_EQ(doc.Server().strRequestPath, "lumenoApp/share/up");

    const auto& records = doc.Records();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0]->strCatalogID, "10000000000011");
    EXPECT_EQ(records[0]->strName, "我的网盘");
    EXPECT_EQ(records[0]->strParentID, "");
    EXPECT_EQ(records[0]->strPath, "我的网盘");
    EXPECT_EQ(records[2]->strParentID, "10000000000011");
    EXPECT_EQ(records[2]->strPath, "我的网盘\\照片");
    EXPECT_EQ(records[3]->strPath, "我的网盘\\照片\\2020");
    EXPECT_EQ(records[2]->nCurDir, 1);

    EXPECT_EQ(doc.GoalID(), "11");
    EXPECT_EQ(doc.TargetID(), "11");  // the goal, since the dialog is not on the current folder
    EXPECT_EQ(doc.CurrentDirPath(), "我的网盘\\照片");
    ASSERT_NE(doc.Find("13"), nullptr);
    EXPECT_EQ(doc.Find("13")->strName, "2020");
}

TEST(CatalogDocumentTest, ResultMayBeTheRootOrItsOnlyChild) {
    CCatalogDocument doc;
    const std::string wrapped =
        "<root>" + Doc(CatalogNode("root", "", "top") + CatalogNode("11", "root", kMyFolder)) + "</root>";
    ASSERT_EQ(doc.ParseXML(wrapped, kMyFolder, false), Result::BuildTree);
    EXPECT_EQ(doc.GoalID(), "11");
}

TEST(CatalogDocumentTest, PortraitIsNeverRecorded) {
    CCatalogDocument doc;
    ASSERT_EQ(doc.ParseXML(Doc(CatalogNode("root", "", "top") + CatalogNode("7", "root", "portrait") +
                               CatalogNode("8", "7", "x")),
                           kMyFolder, false),
              Result::BuildTree);
    ASSERT_EQ(doc.Records().size(), 2u);
    EXPECT_EQ(doc.Find("7"), nullptr);
    EXPECT_EQ(doc.Records()[1]->strPath, "我的网盘\\x");
}

TEST(CatalogDocumentTest, ChildBeforeItsParentKeepsTheDefaultPath) {
    CCatalogDocument doc;
    ASSERT_EQ(doc.ParseXML(Doc(CatalogNode("root", "", "top") + CatalogNode("21", "20", "child") +
                               CatalogNode("20", "root", "parent")),
                           kMyFolder, false),
              Result::BuildTree);
    EXPECT_EQ(doc.Find("21")->strPath, "我的网盘\\child");
}

TEST(CatalogDocumentTest, CurrentFolderModeTargetsTheCurrentNodeWithoutTree) {
    CCatalogDocument doc;
    const std::string xml = Doc(CatalogNode("root", "", "top") + CatalogNode("11", "root", kMyFolder) +
                                CatalogNode("30", "root", "music") + CatalogNode("31", "30", "live", 1));
    EXPECT_EQ(doc.ParseXML(xml, kMyFolder, true), Result::CurrentFolderOnly);
    EXPECT_EQ(doc.TargetID(), "31");
    EXPECT_EQ(doc.CurrentDirPath(), "我的网盘\\music\\live");
    EXPECT_EQ(doc.CurrentPath(), "我的网盘\\music\\live");
}

TEST(CatalogDocumentTest, WithoutCurrentAndMyFolderTheThirdRecordIsTheTarget) {
    CCatalogDocument three;
    ASSERT_EQ(three.ParseXML(Doc(CatalogNode("root", "", "top") + CatalogNode("1", "root", "a") +
                                 CatalogNode("2", "root", "b") + CatalogNode("3", "root", "c")),
                             kMyFolder, false),
              Result::BuildTree);
    EXPECT_EQ(three.TargetID(), "2");
    EXPECT_EQ(three.GoalID(), "");
    EXPECT_EQ(three.CurrentDirPath(), "我的网盘\\a\\b");

    CCatalogDocument two;
    ASSERT_EQ(
        two.ParseXML(Doc(CatalogNode("root", "", "top") + CatalogNode("1", "root", "a")), kMyFolder, false),
        Result::BuildTree);
    EXPECT_EQ(two.TargetID(), "");
}

TEST(CatalogDocumentTest, UnusableDocumentsAndAddressesFail) {
    CCatalogDocument doc;
    EXPECT_EQ(
        doc.ParseXML(Doc(CatalogNode("root", "", "top"), "http://127.0.0.1/lumenoApp"), kMyFolder, false),
        Result::Failed);
    EXPECT_EQ(doc.ParseXML(Doc(CatalogNode("root", "", "top"), "127.0.0.1:80/lumenoApp"), kMyFolder, false),
              Result::Failed);
    EXPECT_EQ(doc.ParseXML(Doc(CatalogNode("root", "", "top"), "http://127.0.0.1:80"), kMyFolder, false),
              Result::Failed);
    EXPECT_EQ(doc.ParseXML("<result><getWholeCatalog/></result>", kMyFolder, false), Result::Failed);
    EXPECT_EQ(doc.ParseXML("<answer/>", kMyFolder, false), Result::Failed);
    EXPECT_TRUE(doc.Records().empty());
}

TEST(CatalogDocumentTest, CurrentNodeWithAMissingOrLoopingParentFails) {
    CCatalogDocument missing;
    EXPECT_EQ(missing.ParseXML(Doc(CatalogNode("5", "4", "lost", 1)), kMyFolder, false), Result::Failed);
    CCatalogDocument looping;
    EXPECT_EQ(
        looping.ParseXML(Doc(CatalogNode("5", "6", "a", 1) + CatalogNode("6", "5", "b")), kMyFolder, false),
        Result::Failed);
}

TEST(CatalogDocumentTest, ChoosingTheTopKeepsThePreviousGoal) {
    CCatalogDocument doc;
    ASSERT_EQ(doc.ParseXML(Doc(CatalogNode("root", "", "top") + CatalogNode("11", "root", kMyFolder) +
                               CatalogNode("40", "root", "b")),
                           kMyFolder, false),
              Result::BuildTree);
    doc.ChooseGoal(doc.Find("40"));
    EXPECT_EQ(doc.GoalID(), "40");
    doc.ChooseGoal(doc.Find("10000000000011"));
    EXPECT_EQ(doc.GoalID(), "40");
    EXPECT_EQ(doc.TargetID(), "40");
}

}  // namespace
