#include "ui/framework/application.h"

#include <QMessageBox>
#include <exception>

TApplication::TApplication(int& argc, char** argv, const QString& title) : QApplication(argc, argv) {
  setApplicationName(title);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    QMessageBox::critical(nullptr, applicationName(), QString::fromLocal8Bit(error.what()));
  } catch (...) {
    QMessageBox::critical(nullptr, applicationName(), QStringLiteral("Unknown exception"));
  }
  return false;
}
