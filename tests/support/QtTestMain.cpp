// The main of the widget and network test binaries: one QApplication for the
// whole binary, offscreen unless told otherwise. SIGPIPE keeps its default
// action on purpose: a send that forgets MSG_NOSIGNAL kills the binary
// instead of passing unnoticed.
#include <gtest/gtest.h>
#include <QApplication>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
