#include "qt/settings_notices.h"

#include <QApplication>
#include <QMessageBox>
#include <filesystem>
#include <iostream>
#include <string>

#include "board/settings_file.h"

namespace {

void Tell(const std::string& notice, QMessageBox::Icon icon) {
  std::cerr << "qx40: " << notice;
  QMessageBox box(icon, QApplication::applicationName(), QString::fromStdString(notice));
  box.exec();
}

}  // namespace

bool PrepareSettingsDirectory(const SettingsLock& lock) {
  if (!lock.Held()) {
    Tell("another simulator is already running in " + std::filesystem::current_path().string() +
             " (it holds Hardware.dat.lock); two would overwrite each other's settings.\n"
             "Close it, or start this one in another directory.\n",
         QMessageBox::Critical);
    return false;
  }
  const std::string rejected = SettingsFile().SetAsideRejectedSettings();
  if (!rejected.empty()) Tell(rejected, QMessageBox::Warning);
  return true;
}
