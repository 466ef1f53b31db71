#include <QApplication>
#include <QScreen>

#include "app/app_icon.h"
#include "app/frm_main.h"
#include "app/product_name.h"
#include "app/qsettings_store.h"
#include "app/qt_user_dialogs.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName(tactoria::kProductName);
  QApplication::setApplicationName(tactoria::kProductName);
  QApplication::setWindowIcon(tactoria::AppIcon());

  tactoria::QSettingsStore settings;
  tactoria::QtUserDialogs dialogs;
  // The window loads the remembered folders first and writes them back when it closes.
  tactoria::FrmMain window(dialogs, settings);
  window.adjustSize();
  if (const QScreen* screen = window.screen()) {
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
  }
  window.show();
  return app.exec();
}
