#pragma once
// Top-level windows: a fixed single border, a client area laid out at exact
// pixel positions, no scaling, and optional sizing to the visible contents.
// Controls and image lists are found by the names the layouts give them.

#include <QList>
#include <QString>
#include <QWidget>
#include <functional>

#include "ui/framework/controls.h"
#include "ui/framework/imagelist.h"

class TForm : public QWidget {
 public:
  TForm(const QString& name, const QString& caption, int clientWidth, int clientHeight);

  QString Name() const { return objectName(); }
  QString Caption() const { return windowTitle(); }

  // Frame position and size, as the screen sees the window.
  int Left() const { return frameGeometry().left(); }
  int Top() const { return frameGeometry().top(); }
  int Width() const { return frameGeometry().width(); }
  int Height() const { return frameGeometry().height(); }
  void SetLeft(int left) { move(left, Top()); }
  void SetTop(int top) { move(Left(), top); }
  int ClientWidth() const { return width(); }
  int ClientHeight() const { return height(); }
  void SetClientSize(int clientWidth, int clientHeight);
  void CentreOnScreen();

  // With AutoSize the client area follows the extent of the visible controls.
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool autoSize);
  void ContentsChanged();

  // Any control of the window by name, however deeply nested; null if none.
  TControl* FindControl(const QString& name) const;
  QList<TControl*> Controls() const;
  TImageList* FindImageList(const QString& name) const;

  std::function<void(TForm* sender)> OnShow;
  std::function<void(TForm* sender)> OnClose;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  bool autoSize_ = false;
};
