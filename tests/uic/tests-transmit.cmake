# Tests of the transfer monitor.
nimbra_test(size_format_test GUI SOURCES SizeFormatTest.cpp LIBS nimbra-uic)
nimbra_test(transfer_records_test GUI SOURCES TransferProgressTest.cpp TransferSortTest.cpp TransferTextTest.cpp
            LIBS nimbra-uic nimbra-test-host)
nimbra_test(orva_tip_test GUI SOURCES TransmitTestMain.cpp OrvaTipTest.cpp LIBS nimbra-function)
nimbra_test(transmit_dlg_test GUI SOURCES TransmitTestMain.cpp TransmitDlgTest.cpp ProgressDlgTest.cpp LIBS nimbra-uic nimbra-test-host)
# The transfer list over the real engine and nimbra-diskd.
if(TARGET OrvULD AND TARGET OrvUC AND TARGET nimbra-diskd-lib)
  nimbra_test(transmit_engine_flow_test GUI SOURCES TransmitTestMain.cpp TransmitEngineFlowTest.cpp
              LIBS nimbra-uic nimbra-test-host nimbra-diskd-lib ${CMAKE_DL_LIBS})
  # The engine libraries are loaded at run time by file name, not linked.
  target_compile_definitions(transmit_engine_flow_test PRIVATE NIMBRA_ORVULD_PATH="$<TARGET_FILE:OrvULD>"
                             NIMBRA_ORVUC_PATH="$<TARGET_FILE:OrvUC>")
  add_dependencies(transmit_engine_flow_test OrvULD OrvUC)
endif()
