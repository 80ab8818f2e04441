# The transfer monitor: transfer list, floating window, upload progress bar and their helpers.
list(APPEND NIMBRA_UIC_SOURCES
  SizeFormat.cpp
  TransferProgress.cpp
  TransferSort.cpp
  TransferText.cpp
  TransferListModel.cpp
  UICTransmitDlg.cpp
  UICTransmitDlgCatalog.cpp
  UICSuspendDlg.cpp
  UICProgressDlg.cpp
  SkinControlPanel.cpp
  ${PROJECT_SOURCE_DIR}/res/transmit/transmit.qrc)
