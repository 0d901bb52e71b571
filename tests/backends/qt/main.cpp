// The Qt backend's tests run inside one QApplication, fonts installed as the
// program installs them.
#include <gtest/gtest.h>

#include <QApplication>

#include "qt/fonts.h"
#include "qt/window_system.h"

namespace {

QtMessageHandler standardHandler = nullptr;

// The offscreen platform says so each time a window is raised or sized;
// nothing to see in a test log.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("This plugin does not support"))) return;
    if (standardHandler != nullptr) standardHandler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
    // Offscreen unless told otherwise, so that listing the tests at build
    // time needs no display either.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    standardHandler = qInstallMessageHandler(quietHandler);
    ::testing::InitGoogleTest(&argc, argv);
    qt_backend::ensureRuntimeDirectory();
    QApplication app(argc, argv);
    qt_backend::installJapaneseFonts();
    return RUN_ALL_TESTS();
}
