# Tests of the transfer monitor.
nimbra_test(size_format_test GUI SOURCES SizeFormatTest.cpp LIBS nimbra-uic)
nimbra_test(transfer_records_test GUI SOURCES TransferProgressTest.cpp TransferSortTest.cpp TransferTextTest.cpp
            LIBS nimbra-uic nimbra-test-host)
nimbra_test(orva_tip_test GUI SOURCES GuiTestMain.cpp OrvaTipTest.cpp LIBS nimbra-function)
nimbra_test(transmit_dlg_test GUI SOURCES GuiTestMain.cpp TransmitDlgTest.cpp ProgressDlgTest.cpp LIBS nimbra-uic nimbra-test-host)
# The transfer list over the real engine and nimbra-diskd.
if(TARGET nimbra-real-stack)
  nimbra_test(transmit_engine_flow_test GUI SOURCES GuiTestMain.cpp TransmitEngineFlowTest.cpp
              LIBS nimbra-real-stack)
endif()
