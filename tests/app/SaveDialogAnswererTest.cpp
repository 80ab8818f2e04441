// The scripted run answers a save dialog like a user and never stays blocked by another window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>

#include "SaveDialogAnswerer.h"

using nimbra::app::SaveDialogAnswerer;

namespace {

void EnsureApp() {
    static int argc = 1;
    static char name[] = "save-dialog-answerer-test";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance())
        new QApplication(argc, argv);
}

TEST(SaveDialogAnswerer, TypesThePathIntoTheSaveDialogAndSaves) {
    EnsureApp();
    QTemporaryDir folder;
    const QString target = folder.filePath("data-2m.bin");
    const SaveDialogAnswerer answerer(target);
    const QString chosen = QFileDialog::getSaveFileName(nullptr, "Save", folder.path(), "bin Files  (*.bin)");
    EXPECT_EQ(chosen, target);
    EXPECT_TRUE(answerer.Answered());
    EXPECT_TRUE(answerer.Unexpected().isEmpty());
}

TEST(SaveDialogAnswerer, ClosesAnyOtherBlockingWindowAndNamesIt) {
    EnsureApp();
    const SaveDialogAnswerer answerer("/tmp/unused");
    QMessageBox box(QMessageBox::Information, "Space", "not enough", QMessageBox::Ok);
    box.exec();
    EXPECT_FALSE(answerer.Answered());
    EXPECT_EQ(answerer.Unexpected(), "Space");
}

}  // namespace
