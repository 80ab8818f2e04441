#include "xml/XML.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The shape of the catalog document the upload dialog reads.
const std::string kCatalog =
    "<?xml version=\"1.0\" encoding=\"GB2312\"?>"
    "<result resultCode=\"0\">"
    "<uploadUrl>http://127.0.0.1:8080/lumenoApp/share/pc_uploadFileRequest</uploadUrl>"
    "<getWholeCatalog>"
    "<catalogNode catalogID=\"root\" parentcatalogID=\"\" catalogName=\"top\" isShared=\"0\" CurDir=\"0\"/>"
    "<catalogNode catalogID=\"11\" parentcatalogID=\"root\" catalogName=\"我的文件夹\" isShared=\"1\" "
    "CurDir=\"1\"/>"
    "</getWholeCatalog>"
    "<MaxUploadFilesNumber>100</MaxUploadFilesNumber>"
    "<MaxUploadFilesSize>1048576</MaxUploadFilesSize>"
    "</result>";

TEST(XMLCursor, FindElemSearchesForwardFromTheLastElementFound) {
    CXML xml;
    ASSERT_TRUE(xml.SetDoc(kCatalog));
    ASSERT_TRUE(xml.FindElem("result"));
    EXPECT_EQ(xml.GetAttrib("resultCode"), "0");
    ASSERT_TRUE(xml.IntoElem());

    ASSERT_TRUE(xml.FindElem("getWholeCatalog"));
    EXPECT_FALSE(xml.FindElem("uploadUrl"));  // behind the position: not found again
    EXPECT_TRUE(xml.FindElem("MaxUploadFilesSize"));
    EXPECT_EQ(xml.GetData(), "1048576");
    EXPECT_FALSE(xml.FindElem("MaxUploadFilesNumber"));

    // Back to the start, the same walk succeeds again, and any name matches the next element.
    xml.ResetPos();
    ASSERT_TRUE(xml.FindElem());
    ASSERT_TRUE(xml.IntoElem());
    ASSERT_TRUE(xml.FindElem());
    EXPECT_EQ(xml.GetData(), "http://127.0.0.1:8080/lumenoApp/share/pc_uploadFileRequest");
    EXPECT_TRUE(xml.FindElem("MaxUploadFilesNumber"));
}

TEST(XMLCursor, IntoAndOutOfElementsKeepThePositionAtEachLevel) {
    CXML xml;
    ASSERT_TRUE(xml.SetDoc(kCatalog));
    ASSERT_TRUE(xml.FindElem("result") && xml.IntoElem() && xml.FindElem("getWholeCatalog"));
    ASSERT_TRUE(xml.IntoElem());
    ASSERT_TRUE(xml.FindElem("catalogNode"));
    EXPECT_EQ(xml.GetAttrib("catalogID"), "root");
    EXPECT_EQ(xml.GetAttrib("parentcatalogID"), "");
    EXPECT_EQ(xml.GetAttrib("missing"), "");
    ASSERT_TRUE(xml.FindElem("catalogNode"));
    EXPECT_EQ(xml.GetAttrib("catalogName"), "我的文件夹");
    EXPECT_FALSE(xml.FindElem("catalogNode"));

    ASSERT_TRUE(xml.OutOfElem());  // main is getWholeCatalog again; searching goes on after it
    EXPECT_TRUE(xml.FindElem("MaxUploadFilesNumber"));
    ASSERT_TRUE(xml.OutOfElem());
    EXPECT_FALSE(xml.OutOfElem());  // already at the top
    EXPECT_FALSE(xml.FindElem());   // only one top-level element
}

TEST(XMLCursor, ChildElementsAndTheirAttributesAreReadWithoutEnteringTheParent) {
    CXML xml;
    ASSERT_TRUE(xml.SetDoc(kCatalog));
    ASSERT_TRUE(xml.FindChildElem("uploadUrl"));  // finds the top element first
    EXPECT_EQ(xml.GetChildData(), "http://127.0.0.1:8080/lumenoApp/share/pc_uploadFileRequest");
    EXPECT_EQ(xml.GetAttrib("resultCode"), "0");
    ASSERT_TRUE(xml.FindChildElem("getWholeCatalog"));
    EXPECT_EQ(xml.GetChildData(), "");  // it holds elements, not text

    ASSERT_TRUE(xml.IntoElem());  // the child becomes the main element
    ASSERT_TRUE(xml.FindChildElem("catalogNode"));
    EXPECT_EQ(xml.GetChildAttrib("catalogID"), "root");
    ASSERT_TRUE(xml.FindChildElem());
    EXPECT_EQ(xml.GetChildAttrib("CurDir"), "1");
    EXPECT_FALSE(xml.FindChildElem());
}

// Builds a host request as the component's Flash helpers do.
std::string InvokeRequest(const char* function, const std::string& argument) {
    CXML xml;
    xml.AddElem("invoke");
    xml.AddAttrib("name", function);
    xml.AddAttrib("returntype", "xml");
    xml.AddChildElem("arguments");
    xml.IntoElem();
    xml.AddChildElem("string");
    xml.IntoElem();
    xml.SetElemContent(argument);
    xml.OutOfElem();
    return xml.GetDoc();
}

TEST(XMLBuild, RequestIsWrittenWithoutDeclarationAndReadsBack) {
    EXPECT_EQ(InvokeRequest("UploadingFile", "a.txt"),
              "<invoke name=\"UploadingFile\" "
              "returntype=\"xml\"><arguments><string>a.txt</string></arguments></invoke>");

    CXML xml;
    xml.AddElem("invoke");
    xml.AddAttrib("name", "callFlashExternalInterface");
    xml.AddAttrib("returntype", "xml");
    xml.AddChildElem("arguments");
    xml.IntoElem();
    xml.AddChildElem("number", "198626");
    xml.AddChildElem("string", "我的网盘\\a<b & \"c\"");
    const std::string doc = xml.GetDoc();
    EXPECT_EQ(
        doc,
        "<invoke name=\"callFlashExternalInterface\" returntype=\"xml\"><arguments><number>198626</number>"
        "<string>我的网盘\\a&lt;b &amp; \"c\"</string></arguments></invoke>");

    CXML back;
    ASSERT_TRUE(back.SetDoc(doc));
    ASSERT_TRUE(back.FindElem("invoke") && back.IntoElem() && back.FindElem("arguments"));
    ASSERT_TRUE(back.FindChildElem("string"));
    EXPECT_EQ(back.GetChildData(), "我的网盘\\a<b & \"c\"");
}

TEST(XMLBuild, AddInsertsAfterThePositionAndAttributesAreReplaced) {
    CXML xml;
    ASSERT_TRUE(xml.SetDoc("<r><a/><c/></r>"));
    ASSERT_TRUE(xml.FindElem() && xml.IntoElem() && xml.FindElem("a"));
    ASSERT_TRUE(xml.AddElem("b", "2"));
    ASSERT_TRUE(xml.AddAttrib("k", "old"));
    ASSERT_TRUE(xml.AddAttrib("k", "new & <fresh>"));
    ASSERT_TRUE(xml.FindElem("c"));
    ASSERT_TRUE(xml.AddChildElem("d"));
    ASSERT_TRUE(xml.AddChildAttrib("n", "1"));
    EXPECT_EQ(xml.GetDoc(), "<r><a/><b k=\"new &amp; &lt;fresh>\">2</b><c><d n=\"1\"/></c></r>");
}

TEST(XMLBuild, WhatCannotBeWrittenWellFormedIsRefusedOrDropped) {
    CXML xml;
    EXPECT_FALSE(xml.AddChildElem("orphan"));  // no main element yet
    EXPECT_FALSE(xml.AddAttrib("a", "1"));
    EXPECT_FALSE(xml.AddElem("bad name"));
    EXPECT_FALSE(xml.AddElem("<x>"));
    ASSERT_TRUE(xml.AddElem("root", std::string("a\x01"
                                                "b\x1F"
                                                "c",
                                                5)));
    EXPECT_FALSE(xml.AddElem("second"));  // one top element only
    EXPECT_FALSE(xml.AddAttrib("1st", "v"));
    EXPECT_EQ(xml.GetDoc(), "<root>abc</root>");
}

TEST(XMLContent, MarkupBecomesElementsOfTheMainElement) {
    CXML xml;
    xml.AddElem("string");
    xml.AddChildElem("old");
    ASSERT_TRUE(xml.SetElemContent("<data><targetid isshared=\"1\">10000000000011</targetid></data>"));
    EXPECT_EQ(xml.GetDoc(),
              "<string><data><targetid isshared=\"1\">10000000000011</targetid></data></string>");

    ASSERT_TRUE(xml.FindChildElem("data"));
    ASSERT_TRUE(xml.IntoElem());
    ASSERT_TRUE(xml.FindChildElem("targetid"));
    EXPECT_EQ(xml.GetChildAttrib("isshared"), "1");
    EXPECT_EQ(xml.GetChildData(), "10000000000011");
}

TEST(XMLContent, TextThatIsNotMarkupStaysTextAndTheDocumentStaysWellFormed) {
    const std::string cases[] = {"a & b <c",
                                 "<a><b></a>",
                                 "</string><evil/>",
                                 "x]]>y",
                                 "<a x='1' x='2'/>",
                                 "<!DOCTYPE x><x/>",
                                 "<?xml version=\"1.0\"?><x/>",
                                 "<!-- note --><x/>",
                                 "plain 中文 text"};
    for (const std::string& content : cases) {
        CXML xml;
        xml.AddElem("string");
        ASSERT_TRUE(xml.SetElemContent(content));
        const std::string doc = xml.GetDoc();

        CXML back;
        ASSERT_TRUE(back.SetDoc(doc)) << content << " gave " << doc;
        ASSERT_TRUE(back.FindElem("string"));
        EXPECT_EQ(back.GetData(), content) << doc;
        EXPECT_FALSE(back.FindChildElem()) << doc;
    }
}

TEST(XMLParse, MalformedDocumentsAreRefusedAndLeaveAnEmptyDocument) {
    const std::string cases[] = {"",
                                 "<a><b></a>",
                                 "<a>",
                                 "<a/><b/>",
                                 "text only",
                                 "<a x='1' x='2'/>",
                                 "<1a/>",
                                 std::string("<a>\x01</a>"),
                                 "<a>&#1;</a>",
                                 "\xFF\xFE<\x00a/>"};
    for (const std::string& doc : cases) {
        CXML xml;
        ASSERT_TRUE(xml.SetDoc("<old/>"));
        EXPECT_FALSE(xml.SetDoc(doc)) << doc;
        EXPECT_EQ(xml.GetDoc(), "");
        EXPECT_FALSE(xml.FindElem());
        EXPECT_FALSE(xml.IntoElem());
        EXPECT_EQ(xml.GetData(), "");
        EXPECT_EQ(xml.GetAttrib("x"), "");
    }
}

TEST(XMLParse, DeepAndLargeDocumentsDoNotExhaustTheStack) {
    std::string deep;
    const int depth = 200000;
    for (int i = 0; i < depth; ++i) {
        deep += "<n>";
    }
    for (int i = 0; i < depth; ++i) {
        deep += "</n>";
    }
    CXML xml;
    ASSERT_TRUE(xml.SetDoc(deep));
    EXPECT_TRUE(xml.GetDoc() == [&] {
        std::string expected;
        for (int i = 0; i < depth - 1; ++i) {
            expected += "<n>";
        }
        expected += "<n/>";
        for (int i = 0; i < depth - 1; ++i) {
            expected += "</n>";
        }
        return expected;
    }());

    CXML content;
    content.AddElem("string");
    EXPECT_TRUE(content.SetElemContent(deep));
    EXPECT_EQ(content.GetDoc().size(), xml.GetDoc().size() + std::string("<string></string>").size());
}

}  // namespace
