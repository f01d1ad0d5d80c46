// The main of every screen test program: one QApplication for the whole run, made before the
// first test and gone before Qt's own statics are; guarded as the desktop's is.
#include <gtest/gtest.h>

#include "GuardedApplication.h"

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    mfg::GuardedApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
