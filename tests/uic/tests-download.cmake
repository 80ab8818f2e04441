# Tests of the network-disk downloads.
nimbra_test(download_request_test GUI SOURCES DownloadRequestTest.cpp GuiTestMain.cpp
            LIBS nimbra-uic nimbra-test-host)
# DownloadFile over the real adapter, engine and nimbra-diskd.
if(TARGET nimbra-real-stack)
  nimbra_test(download_engine_flow_test GUI SOURCES DownloadEngineFlowTest.cpp GuiTestMain.cpp
              LIBS nimbra-real-stack)
endif()
