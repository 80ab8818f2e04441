# Tests of the upload dialog group and the resizable dialog base; widget tests share GuiTestMain.cpp.
nimbra_test(resizable_dialog_test GUI SOURCES ResizableDialogTest.cpp GuiTestMain.cpp LIBS nimbra-function)
