// The scripted run answers a save dialog like a user and never stays blocked by another window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>

#include "GuiApp.h"
#include "ModalAnswerer.h"

using nimbra::app::ModalAnswerer;

namespace {

TEST(ModalAnswerer, TypesThePathIntoTheExpectedSaveDialogOnce) {
    GuiApp();
    QTemporaryDir folder;
    const QString target = folder.filePath("data-2m.bin");
    ModalAnswerer answerer;
    answerer.ExpectFileDialog(target);
    EXPECT_EQ(QFileDialog::getSaveFileName(nullptr, "Save", folder.path(), "bin Files  (*.bin)"), target);
    EXPECT_TRUE(answerer.Answered());
    EXPECT_TRUE(answerer.Unexpected().isEmpty());
    // A second file dialog was not expected: it is cancelled and reported.
    EXPECT_TRUE(QFileDialog::getSaveFileName(nullptr, "Again", folder.path()).isEmpty());
    EXPECT_EQ(answerer.Unexpected(), QStringList{"Again"});
}

TEST(ModalAnswerer, ClosesAnyOtherBlockingWindowAndNamesIt) {
    GuiApp();
    ModalAnswerer answerer;
    QMessageBox box(QMessageBox::Information, "Space", "not enough", QMessageBox::Ok);
    box.exec();
    EXPECT_FALSE(answerer.Answered());
    EXPECT_EQ(answerer.Unexpected(), QStringList{"Space"});
}

}  // namespace
