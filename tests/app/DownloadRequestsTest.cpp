// The download request documents the host builds, read back with the component's own XML cursor in the
// order the component reads them.
#include <gtest/gtest.h>

#include "DownloadRequests.h"
#include "platform/CodePage.h"
#include "xml/XML.h"

using namespace nimbra::app;

namespace {

// Names with markup characters and Chinese text must reach the component unchanged.
const DownloadItem kFirst{"http://127.0.0.1:8080/lumenoApp/file/7",
                          Gb18030ToUtf8("报告 \"Q1\" & <final>.txt")};
const DownloadItem kSecond{"http://127.0.0.1:8080/lumenoApp/file/8?x=1&y=2", "b.gz"};

std::vector<std::pair<std::string, std::string>> ReadFiles(CXML& xml) {
    std::vector<std::pair<std::string, std::string>> files;
    while (xml.FindChildElem("File"))
        files.emplace_back(xml.GetChildAttrib("url"), xml.GetChildAttrib("name"));
    return files;
}

TEST(DownloadRequests, OneFileIsTheFirstFileOfADownloadList) {
    CXML xml;
    ASSERT_TRUE(xml.SetDoc(Utf8ToGb18030(DownloadFileDocument(kFirst))));
    xml.ResetPos();
    ASSERT_TRUE(xml.FindElem("DownloadList"));
    ASSERT_TRUE(xml.FindChildElem("File"));
    EXPECT_EQ(xml.GetChildAttrib("url"), kFirst.url);
    EXPECT_EQ(xml.GetChildAttrib("name"), "报告 \"Q1\" & <final>.txt");
    EXPECT_FALSE(xml.FindChildElem("File"));
}

TEST(DownloadRequests, SeveralFilesSitInsideDownloadFilesInOrder) {
    CXML xml;
    ASSERT_TRUE(xml.SetDoc(DownloadFilesDocument({kSecond, kSecond, {"u", "c"}})));
    xml.ResetPos();
    ASSERT_TRUE(xml.FindElem("DownloadFiles"));
    ASSERT_TRUE(xml.FindChildElem("DownloadList"));
    ASSERT_TRUE(xml.IntoElem());
    const auto files = ReadFiles(xml);
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0], std::make_pair(kSecond.url, kSecond.name));
    EXPECT_EQ(files[2], std::make_pair(std::string("u"), std::string("c")));
}

TEST(DownloadRequests, AFolderNamesItselfAndListsItsFiles) {
    CXML xml;
    ASSERT_TRUE(
        xml.SetDoc(Utf8ToGb18030(DownloadFolderDocument(Gb18030ToUtf8("旅行照片"), {kFirst, kSecond}))));
    xml.ResetPos();
    ASSERT_TRUE(xml.FindElem("DownloadFolder"));
    EXPECT_EQ(xml.GetAttrib("Folder"), "旅行照片");
    xml.ResetPos();
    ASSERT_TRUE(xml.FindChildElem("DownloadList"));
    ASSERT_TRUE(xml.IntoElem());
    const auto files = ReadFiles(xml);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[1].first, kSecond.url);

    // An empty catalog still makes a well-formed request with an empty list.
    ASSERT_TRUE(xml.SetDoc(DownloadFolderDocument("empty", {})));
    xml.ResetPos();
    ASSERT_TRUE(xml.FindElem("DownloadFolder"));
    ASSERT_TRUE(xml.FindChildElem("DownloadList"));
    ASSERT_TRUE(xml.IntoElem());
    EXPECT_TRUE(ReadFiles(xml).empty());
}

}  // namespace
