#include "qt/application.h"

#include <QIcon>
#include <QMessageBox>

#include "qt/artwork.h"

TApplication::TApplication(int& argc, char** argv, const QString& title) : QApplication(argc, argv) {
  setApplicationName(title);
  setWindowIcon(QIcon(AssetPath("ApplicationIcon.png")));
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    ShowException(&error);
  } catch (...) {
    ShowException(nullptr);
  }
  return false;
}

void TApplication::ShowException(const std::exception* error) {
  const QString text = error ? QString::fromLocal8Bit(error->what()) : QStringLiteral("Unknown exception");
  QMessageBox::critical(nullptr, applicationName(), text);
}
