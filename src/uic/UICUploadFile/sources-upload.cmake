# The upload dialog group: upload rules, catalog document, thumbnails, owner-drawn controls and the dialog.
list(APPEND NIMBRA_UIC_SOURCES
  CatalogDocument.cpp
  ContentType.cpp
  Miniature.cpp
  ThumbnailMaker.cpp
  UICComboEdit.cpp
  UICComboTreeCtrl.cpp
  UICTreeDropList.cpp
  UICUpLoadListCtrl.cpp
  UploadRules.cpp)

# Thumbnails of JPEG and TIFF pictures are made with libvips (shrink-on-load). nimbra-uic is created
# after this file is read, so the link is added once the directory is done.
find_package(PkgConfig REQUIRED)
pkg_check_modules(VIPS REQUIRED IMPORTED_TARGET vips)
cmake_language(DEFER CALL target_link_libraries nimbra-uic PUBLIC PkgConfig::VIPS)
