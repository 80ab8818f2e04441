# Tests of the upload dialog group and the resizable dialog base; widget tests share GuiTestMain.cpp.
nimbra_test(resizable_dialog_test GUI SOURCES ResizableDialogTest.cpp GuiTestMain.cpp LIBS nimbra-function)
nimbra_test(upload_rules_test GUI SOURCES UploadRulesTest.cpp CatalogDocumentTest.cpp MiniatureTest.cpp
            GuiTestMain.cpp LIBS nimbra-uic nimbra-test-host)
find_package(Qt6 QUIET COMPONENTS Test)
if(TARGET Qt6::Test)
  nimbra_test(upload_controls_test GUI SOURCES UploadControlsTest.cpp GuiTestMain.cpp LIBS nimbra-uic Qt6::Test)
  nimbra_test(upload_dialog_test GUI SOURCES UploadDlgTest.cpp GuiTestMain.cpp
              LIBS nimbra-uic nimbra-test-host Qt6::Test)
endif()
# The dialog over the real adapter, engine and nimbra-diskd.
if(TARGET nimbra-real-stack)
  nimbra_test(upload_engine_flow_test GUI SOURCES UploadEngineFlowTest.cpp GuiTestMain.cpp LIBS nimbra-real-stack)
endif()
# Folder upload: the dialog, the folder upload and the transfer list's folder rows; then over the real stack.
if(TARGET Qt6::Test)
  nimbra_test(folder_upload_test GUI SOURCES FolderUploadTest.cpp GuiTestMain.cpp LIBS nimbra-uic nimbra-test-host)
endif()
if(TARGET nimbra-real-stack)
  nimbra_test(folder_upload_engine_flow_test GUI SOURCES FolderUploadEngineFlowTest.cpp GuiTestMain.cpp
              LIBS nimbra-real-stack)
endif()
