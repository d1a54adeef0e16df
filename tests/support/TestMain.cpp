// Test entry point: an offscreen application (fonts and painting need one), every picture kind
// registered as at program start, then GoogleTest.
#include "import/PictureKinds.h"

#include <gtest/gtest.h>

#ifdef QUORVEL_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TestApplication application(argc, argv);
    quorvel::registerAllPictureKinds();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
