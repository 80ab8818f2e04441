#pragma once
// Language texts for the upload group's tests: each key of section "UPLOAD" answers its own name, so a
// test sees which text was chosen; a few keys get format texts with their placeholders.

#include <initializer_list>
#include <string>

#include "TestHostCore.h"

inline void UseKeyNamesAsUploadTexts(testhost::Lang& lang) {
    for (const char* key :
         {"IDS_UPLOAD_INFO_SOSDISABLE", "IDS_UPLOAD_INFO_FILENUMZERO", "IDS_UPLOAD_INFO_FILEMAXNUMEEXCEED",
          "IDS_UPLOAD_INFO_FILEMAXNUMEEXCEEDES", "IDS_UPLOAD_INFO_FILENAMEISEMPTY",
          "IDS_UPLOAD_INFO_FILENAMETOOLONG", "IDS_UPLOAD_INFO_FILESIZEEXCEED",
          "IDS_UPLOAD_INFO_TAG_CONTENTERROR", "IDS_UPLOAD_INFO_TAG_ERROR", "IDS_UPLOAD_INFO_TAG_LAWLESS",
          "IDS_UPLOAD_INFO_TAG_ERROR_LENGTH", "IDS_UPLOAD_INFO_DESCRIPTION_ERROR",
          "IDS_UPLOAD_INFO_CURRENTNOFILE", "IDS_UPLOAD_TIP_BUSY", "IDS_UPLOAD_INFO_NOEXIST",
          "IDS_UPLOAD_INFO_SEVERRETURNFAIL", "IDS_UPLOAD_INFO_SUCCESS"}) {
        lang.texts[{"UPLOAD", key}] = key;
    }
    lang.texts[{"UPLOAD", "IDS_UPLOAD_INFO_MYFOLDER"}] = "我的文件夹";
    lang.texts[{"UPLOAD", "IDS_UPLOAD_INFO_SPARESIZE"}] = "spare %s";
    lang.texts[{"UPLOAD", "IDS_UPLOAD_INFO_UPLOADSIZE"}] = "most %s";
    lang.texts[{"UPLOAD", "IDS_UPLOAD_INFO_REFRESHSIZE"}] = "%s of %s";
    lang.texts[{"UPLOAD", "IDS_UPLOAD_INFO_ERROR"}] = "over %s";
    lang.texts[{"UPLOAD", "IDS_UPLOAD_INFO_FAIL"}] = "%d done, %d failed";
}
