# Tests of the transfer monitor.
nimbra_test(size_format_test GUI SOURCES SizeFormatTest.cpp LIBS nimbra-uic)
nimbra_test(transfer_records_test GUI SOURCES TransferProgressTest.cpp TransferSortTest.cpp TransferTextTest.cpp
            LIBS nimbra-uic nimbra-test-host)
nimbra_test(orva_tip_test GUI SOURCES TransmitTestMain.cpp OrvaTipTest.cpp LIBS nimbra-function)
nimbra_test(transmit_dlg_test GUI SOURCES TransmitTestMain.cpp TransmitDlgTest.cpp ProgressDlgTest.cpp LIBS nimbra-uic nimbra-test-host)
