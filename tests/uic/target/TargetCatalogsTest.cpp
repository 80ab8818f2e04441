// The catalog document as the target catalog dialog reads it, and the tree it makes of it.
#include "uic/UICUploadFile/target/TargetCatalogs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Node(const std::string& id, const std::string& parent, const std::string& name,
                 const std::string& shared = "0", int cur = 0) {
    return "<catalogNode catalogID=\"" + id + "\" parentcatalogID=\"" + parent + "\" catalogName=\"" + name +
           "\" isShared=\"" + shared + "\" CurDir=\"" + std::to_string(cur) + "\"/>";
}

std::string Tree(const std::string& nodes) {
    return "<getWholeCatalog>" + nodes + "</getWholeCatalog>";
}

std::string Wrapped(const std::string& nodes) {
    return "<result resultCode=\"0\"><uploadUrl>http://127.0.0.1:8090/up</uploadUrl>" + Tree(nodes) +
           "</result>";
}

// The names of the records that became tree nodes, in order.
std::vector<std::string> Shown(const CTargetCatalogs& catalogs) {
    std::vector<std::string> names;
    for (const tagTargetNode& node : catalogs.Nodes()) {
        names.push_back(node.pRecord->strName);
    }
    return names;
}

const std::string kBasic = Node("root", "", "top") + Node("11", "root", "我的文件夹") +
                           Node("12", "root", "照片", "1", 1) + Node("13", "12", "2020");

TEST(TargetCatalogs, ReadsTheWrappedAndTheBareFormAndKeepsWhatTheyCarry) {
    for (const auto& [doc, noWrapper] : {std::pair{Wrapped(kBasic), false}, std::pair{Tree(kBasic), true},
                                         std::pair{"<root>" + Wrapped(kBasic) + "</root>", false}}) {
        CTargetCatalogs catalogs;
        ASSERT_TRUE(catalogs.Parse(doc, noWrapper)) << doc;
        const auto& records = catalogs.Records();
        ASSERT_EQ(records.size(), 4u) << doc;
        // Ids and parents read "root" as the top's fixed id; the top keeps its own name; no paths.
        EXPECT_EQ(records[0]->strCatalogID, "10000000000011");
        EXPECT_EQ(records[0]->strParentID, "");
        EXPECT_EQ(records[0]->strName, "top");
        EXPECT_EQ(records[0]->strPath, "");
        EXPECT_EQ(records[2]->strParentID, "10000000000011");
        EXPECT_EQ(records[2]->strShared, "1");
        EXPECT_EQ(records[2]->nCurDir, 1);
        EXPECT_EQ(records[3]->strParentID, "12");
    }
    // A wrapper expected and missing, or the other way round, gives no records.
    CTargetCatalogs catalogs;
    EXPECT_FALSE(catalogs.Parse(Tree(kBasic), false));
    EXPECT_TRUE(catalogs.Records().empty());
    EXPECT_TRUE(catalogs.Parse(Wrapped(kBasic), true));
    EXPECT_TRUE(catalogs.Records().empty());
}

TEST(TargetCatalogs, PortraitIsDroppedOnlyDirectlyUnderTheTop) {
    CTargetCatalogs catalogs;
    catalogs.Parse(Tree(Node("root", "", "top") + Node("20", "root", "portrait") +
                        Node("21", "root", "相册") + Node("22", "21", "portrait") + Node("23", "22", "头像")),
                   true);
    ASSERT_EQ(catalogs.Records().size(), 4u);
    catalogs.BuildTree({});
    EXPECT_EQ(Shown(catalogs), (std::vector<std::string>{"top", "相册", "portrait", "头像"}));
}

TEST(TargetCatalogs, MyMessagesShowsOnlyThreeLevelsBelowTheTopFolder) {
    CTargetCatalogs catalogs;
    catalogs.Parse(Tree(Node("root", "", "top") + Node("30", "root", "我的消息") +
                        Node("31", "30", "收件箱") + Node("32", "root", "A") + Node("33", "32", "我的消息") +
                        Node("34", "32", "B") + Node("35", "34", "我的消息") + Node("36", "35", "旧消息")),
                   true);
    // Read like any other folder; left out of the tree, with what lies below it.
    EXPECT_EQ(catalogs.Records().size(), 8u);
    catalogs.BuildTree({});
    EXPECT_EQ(Shown(catalogs), (std::vector<std::string>{"top", "A", "B", "我的消息", "旧消息"}));
    EXPECT_EQ(catalogs.Nodes()[3].pRecord->nSpare, 3);
}

TEST(TargetCatalogs, FoldersHangUnderTheirParentsWithDepthAndSharingAndAChildBeforeItsParentIsLeftOut) {
    CTargetCatalogs catalogs;
    catalogs.Parse(
        Tree(Node("41", "40", "早到的") + Node("root", "", "top", "1") + Node("40", "root", "家", "1") +
             Node("42", "40", "共享?", "true") + Node("43", "42", "深处", "01") + Node("44", "99", "孤儿")),
        true);
    catalogs.BuildTree({});
    EXPECT_EQ(Shown(catalogs), (std::vector<std::string>{"top", "家", "共享?", "深处"}));
    const auto& nodes = catalogs.Nodes();
    EXPECT_EQ(nodes[0].nParent, -1);
    EXPECT_EQ(nodes[1].nParent, 0);
    EXPECT_EQ(nodes[3].nParent, 2);
    EXPECT_EQ(nodes[3].pRecord->nSpare, 3);
    // Shared is the text "1" exactly.
    EXPECT_TRUE(nodes[1].bShared);
    EXPECT_FALSE(nodes[2].bShared);
    EXPECT_FALSE(nodes[3].bShared);
    EXPECT_EQ(catalogs.NodeOf("43"), 3);
    EXPECT_EQ(catalogs.NodeOf("41"), -1);
}

const std::string kTwins = Node("root", "", "top") + Node("1", "root", "A") + Node("2", "1", "照片") +
                           Node("3", "root", "B") + Node("4", "3", "照片") + Node("5", "root", "C");

TEST(TargetCatalogs, ARememberedPathPicksTheLastFolderOfItsNameOnlyWhileThePathStillExists) {
    CTargetCatalogs catalogs;
    catalogs.Parse(Tree(kTwins), true);
    catalogs.BuildTree("我的网盘\\A\\照片");
    EXPECT_EQ(catalogs.RememberedNode(), catalogs.NodeOf("4"));
    catalogs.BuildTree("我的网盘\\A");
    EXPECT_EQ(catalogs.RememberedNode(), catalogs.NodeOf("1"));
    for (const char* gone :
         {"我的网盘\\C\\照片", "我的网盘\\A\\照片\\更深", "别的盘\\A\\照片", "照片", "我的网盘"}) {
        catalogs.BuildTree(gone);
        EXPECT_EQ(catalogs.RememberedNode(), -1) << gone;
    }
}

TEST(TargetCatalogs, PathsSplitAtBackslashesNotAtTheSecondByteOfACharacter) {
    // "乗" is 0x81 0x5C in GB18030: its second byte is a backslash.
    CTargetCatalogs catalogs;
    catalogs.Parse(Tree(Node("root", "", "top") + Node("1", "root", "乗车") + Node("2", "1", "票")), true);
    catalogs.BuildTree("我的网盘\\乗车\\票");
    EXPECT_EQ(catalogs.RememberedNode(), catalogs.NodeOf("2"));
    catalogs.BuildTree("我的网盘\\乗车");
    EXPECT_EQ(catalogs.RememberedNode(), catalogs.NodeOf("1"));
}

}  // namespace
