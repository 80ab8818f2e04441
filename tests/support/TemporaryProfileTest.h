#pragma once
// A test suite whose application profile (QSettings) lives in a temporary folder, never the user's own.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QtGlobal>

class TemporaryProfileTest : public ::testing::Test {
protected:
    // QSettings finds its file through XDG_CONFIG_HOME, read once per process.
    static void SetUpTestSuite() {
        s_dir = new QTemporaryDir;
        qputenv("XDG_CONFIG_HOME", s_dir->path().toUtf8());
    }
    static void TearDownTestSuite() {
        delete s_dir;
        s_dir = nullptr;
    }
    // The folder the profile file lives in.
    static QString ProfileDir() { return s_dir->path(); }

private:
    static inline QTemporaryDir* s_dir = nullptr;
};
