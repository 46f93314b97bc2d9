#pragma once
// The application object: its title, the window thread's message loop, and
// the standard display of an exception that escapes an event handler.

#include <QApplication>
#include <exception>

class TApplication : public QApplication {
 public:
  TApplication(int& argc, char** argv, const QString& title);

  // Delivers one event; an exception thrown while handling it is shown in a
  // message box and the loop goes on.
  bool notify(QObject* receiver, QEvent* event) override;

  // The standard display of an exception: a message box with the title.
  static void ShowException(const std::exception* error);
};
