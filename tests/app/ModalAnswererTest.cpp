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

TEST(ModalAnswerer, AnswersMessageBoxesWithTheChosenButtonWhereTheyOfferIt) {
    GuiApp();
    ModalAnswerer answerer;
    answerer.AnswerMessageBoxes(QMessageBox::Yes);
    EXPECT_EQ(QMessageBox::question(nullptr, "Skin", "Use it now?"), QMessageBox::Yes);
    // A box without that button is closed as unexpected.
    QMessageBox notice(QMessageBox::Information, "Notice", "failed", QMessageBox::Ok);
    notice.exec();
    EXPECT_EQ(answerer.AnsweredBoxes(), QStringList{"Use it now?"});
    EXPECT_EQ(answerer.Unexpected(), QStringList{"Notice"});
}

}  // namespace
