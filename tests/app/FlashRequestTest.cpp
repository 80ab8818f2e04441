// The host's side of the Flash channel, fed with requests built by the component's own builders.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FlashRequest.h"
#include "NetDiskRequests.h"
#include "function/ToolsHelp.h"
#include "platform/CodePage.h"

using namespace nimbra::app;

namespace {

// Records what the page was asked to do.
class RecordingActions final : public NetDiskActions {
public:
    void Refresh(const std::string& refreshId) override { refreshed.push_back(refreshId); }
    void CreateCatalog(const std::string& parentId, const std::string& name) override {
        created.push_back({parentId, name});
    }
    void ChooseTarget(const std::string& catalogId, bool shared) override {
        chosen.push_back({catalogId, shared});
    }
    void ChooseNewTarget(const std::string& parentId, const std::string& name, bool shared) override {
        chosenNew.push_back({parentId, name, shared});
    }

    std::vector<std::string> refreshed;
    std::vector<std::pair<std::string, std::string>> created;
    std::vector<std::pair<std::string, bool>> chosen;
    struct NewTarget {
        std::string parentId;
        std::string name;
        bool shared;
    };
    std::vector<NewTarget> chosenNew;
};

// The component's requests are GB18030; the page converts them at its edge, as here.
long Handle(const std::string& componentRequest, RecordingActions& actions) {
    return HandleNetDiskRequest(Gb18030ToUtf8(componentRequest), actions);
}

TEST(NetDiskRequests, RefreshCarriesTheRefreshId) {
    RecordingActions actions;
    EXPECT_EQ(Handle(CToolsHelp::ConstructFlashXml2(kFlashRefresh, "12"), actions), 0);
    EXPECT_EQ(Handle(CToolsHelp::ConstructFlashXml2(kFlashRefresh, "-2"), actions), 0);
    EXPECT_EQ(actions.refreshed, (std::vector<std::string>{"12", "-2"}));
    EXPECT_TRUE(actions.created.empty());
}

TEST(NetDiskRequests, CatalogCreationReadsNameAndParentFromTheEmbeddedDocument) {
    RecordingActions actions;
    // The folder upload's creation document, with a Chinese folder name in the component's code page.
    const std::string document = "<data><strPath>旅行 & 照片</strPath><parent>10000000000011</parent></data>";
    ASSERT_EQ(Handle(CToolsHelp::ConstructFlashXml2(kFlashCreateCatalog, document), actions), 0);
    ASSERT_EQ(actions.created.size(), 1u);
    EXPECT_EQ(actions.created[0].first, "10000000000011");
    EXPECT_EQ(actions.created[0].second, Gb18030ToUtf8("旅行 & 照片"));
}

TEST(NetDiskRequests, ADialogsOwnNumberCarriesItsTargetChoice) {
    RecordingActions actions;
    const std::string document = "<data><targetid isshared=\"1\">42</targetid></data>";
    ASSERT_EQ(Handle(CToolsHelp::ConstructFlashXml2(300001, document), actions), 0);
    ASSERT_EQ(actions.chosen.size(), 1u);
    EXPECT_EQ(actions.chosen[0], std::make_pair(std::string("42"), true));
}

TEST(NetDiskRequests, ANewCatalogChoiceNamesItsParentAndNameAndWithoutThemIsRefused) {
    RecordingActions actions;
    const std::string document =
        "<data><targetid isshared=\"0\">-1</targetid><parent>root</parent><strPath>旅行</strPath></data>";
    ASSERT_EQ(Handle(CToolsHelp::ConstructFlashXml2(kFlashChooseTarget, document), actions), 0);
    ASSERT_EQ(actions.chosenNew.size(), 1u);
    EXPECT_EQ(actions.chosenNew[0].parentId, "root");
    EXPECT_EQ(actions.chosenNew[0].name, Gb18030ToUtf8("旅行"));
    EXPECT_FALSE(actions.chosenNew[0].shared);
    EXPECT_TRUE(actions.chosen.empty());
    // "-1" alone is no catalog the page could make or select.
    EXPECT_EQ(Handle(CToolsHelp::ConstructFlashXml2(kFlashChooseTarget,
                                                    "<data><targetid isshared=\"0\">-1</targetid></data>"),
                     actions),
              -1);
    EXPECT_EQ(actions.chosenNew.size(), 1u);
    EXPECT_TRUE(actions.chosen.empty());
}

TEST(NetDiskRequests, RefusesWhatItCannotReadWithoutActing) {
    RecordingActions actions;
    EXPECT_EQ(Handle("not a document", actions), -1);
    EXPECT_EQ(Handle(CToolsHelp::ConstructFlashXml("UploadingFile", {"a.txt"}), actions), -1);
    EXPECT_EQ(Handle(CToolsHelp::ConstructFlashXml2(kFlashCreateCatalog, "<data><strPath>x</strPath></data>"),
                     actions),
              -1);
    EXPECT_EQ(Handle(CToolsHelp::ConstructFlashXml2(300001, "<data/>"), actions), -1);
    EXPECT_EQ(Handle("<invoke name=\"callFlashExternalInterface\" returntype=\"xml\"><arguments>"
                     "<number>19x</number><string>1</string></arguments></invoke>",
                     actions),
              -1);
    EXPECT_TRUE(actions.refreshed.empty());
    EXPECT_TRUE(actions.created.empty());
    EXPECT_TRUE(actions.chosen.empty());
}

TEST(FlashRequestParse, UploadingFileKeepsItsArgumentEvenWhenItHoldsMarkup) {
    const auto plain =
        FlashRequest::Parse(Gb18030ToUtf8(CToolsHelp::ConstructFlashXml("UploadingFile", {"报告.txt"})));
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->function, kFlashUploadingFile);
    EXPECT_FALSE(plain->number);
    EXPECT_EQ(plain->strings, std::vector<std::string>{Gb18030ToUtf8("报告.txt")});

    // The general form places an argument as content, unescaped.
    const auto marked = FlashRequest::Parse(CToolsHelp::ConstructFlashXml("UploadingFile", {"<b>x</b>y"}));
    ASSERT_TRUE(marked);
    EXPECT_EQ(marked->strings, std::vector<std::string>{"<b>x</b>y"});
}

}  // namespace
