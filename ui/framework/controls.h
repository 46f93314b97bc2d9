#pragma once
// The component layer the windows are built from: Qt widgets dressed as
// controls placed at exact pixel positions, each with a name, an integer tag,
// a hint and mouse events that carry button, shift state and position.
//
// Every control is a QWidget and must be touched only from the window thread,
// except for what is stated as safe from any thread: Tag, Visible and the
// bounds are mirrored in atomics so the board tick can read them.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <QWidget>
#include <atomic>
#include <functional>

class QCheckBox;
class QTimer;

enum class MouseButton { Left, Right, Middle };

// Shift state bits, as the mouse events carry them.
using ShiftState = unsigned;
constexpr ShiftState ssShift = 0x01;
constexpr ShiftState ssAlt = 0x02;
constexpr ShiftState ssCtrl = 0x04;
constexpr ShiftState ssLeft = 0x08;
constexpr ShiftState ssRight = 0x10;
constexpr ShiftState ssMiddle = 0x20;

enum class Alignment { Left, Right, Center };

class TControl;
using NotifyEvent = std::function<void(TControl* sender)>;
using MouseEvent = std::function<void(TControl* sender, MouseButton button, ShiftState shift, int x, int y)>;
using MouseMoveEvent = std::function<void(TControl* sender, ShiftState shift, int x, int y)>;

// The fonts the layouts name, mapped onto the fonts every install has.
QFont MakeFont(const QString& family, int pixelSize, bool bold = false);

// The primary screen's size in pixels.
int ScreenWidth();
int ScreenHeight();

class TControl : public QWidget {
  Q_OBJECT

 public:
  TControl(QWidget* parent, const QString& name);

  QString Name() const { return objectName(); }

  // Safe from any thread.
  int Tag() const { return tag_.load(std::memory_order_relaxed); }
  void SetTag(int tag) { tag_.store(tag, std::memory_order_relaxed); }
  bool Visible() const { return visible_.load(std::memory_order_relaxed); }
  int Left() const { return left_.load(std::memory_order_relaxed); }
  int Top() const { return top_.load(std::memory_order_relaxed); }
  int Width() const { return width_.load(std::memory_order_relaxed); }
  int Height() const { return height_.load(std::memory_order_relaxed); }

  // Window thread only.
  void SetVisible(bool visible) { setVisible(visible); }
  void setVisible(bool visible) override;
  void SetBounds(int left, int top, int width, int height);
  void SetLeft(int left) { SetBounds(left, Top(), Width(), Height()); }
  void SetTop(int top) { SetBounds(Left(), top, Width(), Height()); }
  void SetWidth(int width) { SetBounds(Left(), Top(), width, Height()); }
  void SetHeight(int height) { SetBounds(Left(), Top(), Width(), height); }
  QString Hint() const { return toolTip(); }
  void SetHint(const QString& hint) { setToolTip(hint); }
  // Background colour; an invalid colour leaves the parent's showing.
  QColor Color() const { return color_; }
  void SetColor(const QColor& color);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool autoSize);
  // Applies CanAutoSize when AutoSize is set.
  void AdjustSize();

  // The events; each handler gets this control as the sender.
  MouseEvent OnMouseDown;
  MouseMoveEvent OnMouseMove;
  MouseEvent OnMouseUp;
  NotifyEvent OnClick;

  // Dispatch as the window system would; tests and other windows call these
  // to press a control in code. Click follows a left release inside.
  virtual void MouseDown(MouseButton button, ShiftState shift, int x, int y);
  virtual void MouseMove(ShiftState shift, int x, int y);
  virtual void MouseUp(MouseButton button, ShiftState shift, int x, int y);
  virtual void Click();

 protected:
  // The size AutoSize gives, if the control knows one.
  virtual bool CanAutoSize(int& newWidth, int& newHeight);

  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void StoreBounds(int left, int top, int width, int height);

  std::atomic<int> tag_{0};
  std::atomic<bool> visible_{true};
  std::atomic<int> left_{0};
  std::atomic<int> top_{0};
  std::atomic<int> width_{0};
  std::atomic<int> height_{0};
  QColor color_;
  bool autoSize_ = false;
  bool clickPending_ = false;
};

// Static text, transparent unless given a colour.
class TLabel : public TControl {
 public:
  TLabel(QWidget* parent, const QString& name, const QString& caption = {});

  QString Caption() const { return caption_; }
  void SetCaption(const QString& caption);
  void SetAlignment(Alignment alignment);
  void SetWordWrap(bool wordWrap);
  void SetFontColor(const QColor& color);

 protected:
  // Without word wrap: the caption's extent in the label's font.
  bool CanAutoSize(int& newWidth, int& newHeight) override;
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QString caption_;
  Alignment alignment_ = Alignment::Left;
  bool wordWrap_ = false;
  QColor fontColor_ = Qt::black;
};

// A plain rectangle: pen for the outline, brush for the inside.
class TShape : public TControl {
 public:
  TShape(QWidget* parent, const QString& name);

  // Qt::NoPen draws no outline.
  void SetPen(const QColor& color, Qt::PenStyle style = Qt::SolidLine, int width = 1);
  // Qt::NoBrush leaves the inside clear.
  void SetBrush(const QColor& color, Qt::BrushStyle style = Qt::SolidPattern);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor penColor_ = Qt::black;
  Qt::PenStyle penStyle_ = Qt::SolidLine;
  int penWidth_ = 1;
  QColor brushColor_ = Qt::white;
  Qt::BrushStyle brushStyle_ = Qt::SolidPattern;
};

// A captioned etched frame; its children sit in its own coordinates.
class TGroupBox : public TControl {
 public:
  TGroupBox(QWidget* parent, const QString& name, const QString& caption = {});

  QString Caption() const { return caption_; }
  void SetCaption(const QString& caption);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString caption_;
};

enum class Bevel { None, Raised, Lowered };

// A container with an outer and an inner one-pixel bevel.
class TPanel : public TControl {
 public:
  TPanel(QWidget* parent, const QString& name);

  void SetBevels(Bevel outer, Bevel inner);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Bevel outer_ = Bevel::Raised;
  Bevel inner_ = Bevel::None;
};

// An embedded child window with its own layout, clipped to its bounds.
class TFrame : public TControl {
 public:
  TFrame(QWidget* parent, const QString& name);
};

// A picture control: one fixed picture drawn unscaled from the top-left.
class TImage : public TControl {
 public:
  TImage(QWidget* parent, const QString& name);

  const QImage& Picture() const { return picture_; }
  void SetPicture(const QImage& picture);
  // Decodes assets/<Name>.jpg; a plain grey placeholder if it cannot.
  void LoadPicture();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
};

enum class CheckBoxState { Unchecked, Checked, Grayed };

// A check box; with AllowGrayed each click steps unchecked, grayed, checked.
class TCheckBox : public TControl {
 public:
  TCheckBox(QWidget* parent, const QString& name, const QString& caption = {});

  // Safe from any thread.
  CheckBoxState State() const { return state_.load(std::memory_order_relaxed); }
  // Window thread; a change runs OnClick, as a user's click does.
  void SetState(CheckBoxState state);
  void SetAllowGrayed(bool allowGrayed);
  void Click() override;
  QString Caption() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QCheckBox* box_;
  std::atomic<CheckBoxState> state_{CheckBoxState::Unchecked};
  bool allowGrayed_ = false;
};

// Creates a control of the window's layout at its place.
template <class Control, class... Args>
Control* Place(QWidget* parent, const QString& name, int left, int top, int width, int height, Args&&... args) {
  auto* control = new Control(parent, name, std::forward<Args>(args)...);
  control->SetBounds(left, top, width, height);
  return control;
}

// A window-thread timer with an integer tag.
class TTimer : public QObject {
 public:
  TTimer(QObject* owner, const QString& name, int intervalMs);

  int Tag() const { return tag_.load(std::memory_order_relaxed); }
  void SetTag(int tag) { tag_.store(tag, std::memory_order_relaxed); }
  int Interval() const;
  void SetInterval(int intervalMs);
  bool Enabled() const;
  void SetEnabled(bool enabled);

  std::function<void(TTimer* sender)> OnTimer;

 private:
  QTimer* timer_;
  std::atomic<int> tag_{0};
};
