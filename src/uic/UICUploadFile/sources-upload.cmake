# The upload dialog group: upload rules, catalog document, thumbnails, owner-drawn controls and the dialog.
list(APPEND NIMBRA_UIC_SOURCES
  CatalogDocument.cpp
  ContentType.cpp
  FolderScan.cpp
  FolderUpload.cpp
  LangFormat.cpp
  Miniature.cpp
  SkinSplitterCtrl.cpp
  ThumbnailMaker.cpp
  UICComboEdit.cpp
  UICComboTreeCtrl.cpp
  UICTreeDropList.cpp
  UICUpLoadListCtrl.cpp
  UICUploadDlg.cpp
  UploadRules.cpp
  ${PROJECT_SOURCE_DIR}/res/upload/upload.qrc)

# Thumbnails of PNG and TIFF pictures are made with libvips. nimbra-uic is created
# after this file is read, so the link is added once the directory is done.
find_package(PkgConfig REQUIRED)
pkg_check_modules(VIPS REQUIRED IMPORTED_TARGET vips)
cmake_language(DEFER CALL target_link_libraries nimbra-uic PUBLIC PkgConfig::VIPS)
