#pragma once
// Top-level windows: a fixed single border, a client area laid out at exact
// pixel positions, no scaling, and optional sizing to the visible contents.
// The front end feeds the mouse in client coordinates; the window sends each
// event to the control under it, and while a button is held to the control
// that took the press, as window systems do.

#include <functional>
#include <string>
#include <vector>

#include "windows/framework/controls.h"
#include "windows/framework/host.h"

class TForm : public TControl {
 public:
  // Shown by host, which must outlive the window; without one by nothing.
  TForm(std::string name, std::string caption, int clientWidth, int clientHeight, WindowHost* host = nullptr);

  WindowHost& Host() const { return *host_; }
  // The host it was given, which outlives it; null if none.
  WindowHost* GivenHost() const { return host_ == &noHost_ ? nullptr : host_; }
  // Any thread: the window or one of its controls changed, as the host is told.
  virtual void ControlChanged() {}

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  // Position on the screen (Left, Top) and the client area (Width, Height).
  int ClientWidth() const { return Width(); }
  int ClientHeight() const { return Height(); }
  void SetClientSize(int clientWidth, int clientHeight);
  void SetBounds(int left, int top, int width, int height) override;
  void Move(int left, int top) { SetBounds(left, top, Width(), Height()); }
  void CentreOnScreen();
  // The window's background, behind every control without a colour.
  Color WindowColor() const { return windowColor_; }
  void SetWindowColor(const Color& color);

  // With AutoSize the client area follows the extent of the visible controls.
  bool FormAutoSize() const { return formAutoSize_; }
  void SetFormAutoSize(bool autoSize);
  void ContentsChanged();

  // Any control of the window by name, however deeply nested; null if none.
  TControl* FindControl(const std::string& name) const;
  // Every control of the window, parents before their children.
  std::vector<TControl*> Controls() const;
  TImageList* FindImageList(const std::string& name) const;

  // Shown by the front end; closing hides it and runs OnClose.
  bool Showing() const { return showing_; }
  void Show();
  void Hide();
  void Close();
  std::function<void(TForm* sender)> OnShow;
  std::function<void(TForm* sender)> OnClose;

  // Told of each pointer event once the control that takes it has had it,
  // with the point in that control's coordinates (for a session recorder,
  // which records what the event did).
  enum class PointerAction { Down, Move, Up };
  std::function<void(PointerAction action, TControl& target, MouseButton button, int x, int y)> OnPointer;

  // Mouse input in client coordinates.
  void PointerDown(MouseButton button, ShiftState shift, int x, int y);
  void PointerMove(ShiftState shift, int x, int y);
  void PointerUp(MouseButton button, ShiftState shift, int x, int y);
  // The control that takes the mouse at a client point, and the point in its
  // coordinates; null over the bare window.
  TControl* ControlAt(int x, int y, int& localX, int& localY) const;

 private:
  void Changed();

  WindowHost noHost_;
  WindowHost* host_;
  std::string caption_;
  Color windowColor_;
  bool formAutoSize_ = false;
  bool showing_ = false;
  // The control that took a press, while any button is held.
  TControl* captured_ = nullptr;
  int capturedX_ = 0, capturedY_ = 0;
  ShiftState held_ = 0;
};
