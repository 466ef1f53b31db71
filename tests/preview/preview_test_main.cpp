// The main of the preview's window and playback tests: a private sound server when PulseAudio
// is installed (the sound output of this process), offscreen windows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>

#include "pulse_server.h"

namespace tactoria::testing {
PulseServer* g_pulse = nullptr;
}

int main(int argc, char* argv[]) {
  using tactoria::testing::PulseServer;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QLocale::setDefault(QLocale::c());
  // The server must be up before Qt Multimedia first looks for devices. TACTORIA_TEST_NO_SOUND
  // runs the tests of a machine without sound output.
  PulseServer server;
  const bool sound =
      qEnvironmentVariableIsEmpty("TACTORIA_TEST_NO_SOUND") && PulseServer::Installed() && server.Start();
  qputenv("PULSE_SERVER", sound ? server.ServerAddress().c_str() : "unix:/nonexistent/tactoria/native");
  if (sound) tactoria::testing::g_pulse = &server;
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
