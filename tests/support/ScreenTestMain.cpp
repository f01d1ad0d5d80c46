// The main of every screen test program: one QApplication for the whole run, made before the
// first test and gone before Qt's own statics are; guarded as the desktop's is.
#include <gtest/gtest.h>

#include "GuardedApplication.h"

int main(int argc, char** argv)
{
    // The offscreen screen is the smallest desktop the screens are made for, so that dialogs and
    // drop-downs are placed in a test as they would be on it.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || qgetenv("QT_QPA_PLATFORM") == "offscreen")
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" MFG_OFFSCREEN_DESKTOP);
    mfg::GuardedApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
