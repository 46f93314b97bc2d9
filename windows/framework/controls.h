#pragma once
// The component layer the windows are built from: controls placed at exact
// pixel positions in their parent, each with a name, an integer tag, a hint
// and mouse events that carry button, shift state and position in the
// control's own coordinates. Plain state: a front end draws it and feeds
// the mouse into its window (TForm), which routes each event to a control.
//
// Controls are touched from the window thread, except for what is stated
// as safe from any thread: Tag, Visible and the bounds are atomics so the
// board tick can read them.

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "windows/framework/types.h"

class TControl;
class TForm;
class TImageList;
class TTimer;
class WindowHost;

using NotifyEvent = std::function<void(TControl* sender)>;
using MouseEvent = std::function<void(TControl* sender, MouseButton button, ShiftState shift, int x, int y)>;
using MouseMoveEvent = std::function<void(TControl* sender, ShiftState shift, int x, int y)>;

class TControl {
 public:
  // A control belongs to its parent, which destroys it; a null parent makes a window.
  TControl(TControl* parent, std::string name);
  virtual ~TControl();
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;

  const std::string& Name() const { return name_; }
  TControl* Parent() const { return parent_; }
  const std::vector<std::unique_ptr<TControl>>& Children() const { return children_; }
  // The window the control lies on, itself for a window.
  TForm* Form() const;

  // Safe from any thread.
  int Tag() const { return tag_.load(std::memory_order_relaxed); }
  void SetTag(int tag) { tag_.store(tag, std::memory_order_relaxed); }
  bool Visible() const { return visible_.load(std::memory_order_relaxed); }
  int Left() const { return left_.load(std::memory_order_relaxed); }
  int Top() const { return top_.load(std::memory_order_relaxed); }
  int Width() const { return width_.load(std::memory_order_relaxed); }
  int Height() const { return height_.load(std::memory_order_relaxed); }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < Width() && y < Height(); }

  // Window thread only.
  void SetVisible(bool visible);
  virtual void SetBounds(int left, int top, int width, int height);
  void SetLeft(int left) { SetBounds(left, Top(), Width(), Height()); }
  void SetTop(int top) { SetBounds(Left(), top, Width(), Height()); }
  void SetWidth(int width) { SetBounds(Left(), Top(), width, Height()); }
  void SetHeight(int height) { SetBounds(Left(), Top(), Width(), height); }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint) { hint_ = hint; }
  // Background colour; an invalid colour leaves the parent's showing.
  Color GetColor() const { return color_; }
  void SetColor(const Color& color);
  // The font set on the control, else its parent's.
  Font GetFont() const;
  void SetFont(const Font& font);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  // A control the mouse passes through, to whatever lies beneath it.
  bool MouseTransparent() const { return mouseTransparent_; }
  void SetMouseTransparent(bool transparent) { mouseTransparent_ = transparent; }
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool autoSize);
  // Applies CanAutoSize when AutoSize is set.
  void AdjustSize();

  // Image lists and timers the control owns, found by name from its window.
  TImageList* AddImageList(const std::string& name, int width, int height, int count);
  const std::vector<std::unique_ptr<TImageList>>& ImageLists() const { return imageLists_; }
  void AdoptTimer(TTimer* timer);

  // The events; each handler gets this control as the sender.
  MouseEvent OnMouseDown;
  MouseMoveEvent OnMouseMove;
  MouseEvent OnMouseUp;
  NotifyEvent OnClick;

  // Dispatch as the window system would; the window's routing, tests and
  // other windows call these. Click follows a left release inside.
  virtual void MouseDown(MouseButton button, ShiftState shift, int x, int y);
  virtual void MouseMove(ShiftState shift, int x, int y);
  virtual void MouseUp(MouseButton button, ShiftState shift, int x, int y);
  virtual void Click();

  // Any thread: the control's picture changed; its window is drawn again.
  void Invalidate() const;

 protected:
  // The size AutoSize gives, if the control knows one.
  virtual bool CanAutoSize(int& newWidth, int& newHeight);
  virtual void FontChanged() {}

 private:
  void ContentsChanged();
  void InheritedFontChanged();

  std::string name_;
  TControl* parent_;
  std::vector<std::unique_ptr<TControl>> children_;
  std::vector<std::unique_ptr<TImageList>> imageLists_;
  std::vector<std::unique_ptr<TTimer>> timers_;
  std::atomic<int> tag_{0};
  std::atomic<bool> visible_{true};
  std::atomic<int> left_{0};
  std::atomic<int> top_{0};
  std::atomic<int> width_{0};
  std::atomic<int> height_{0};
  std::string hint_;
  Color color_;
  std::optional<Font> font_;
  bool enabled_ = true;
  bool mouseTransparent_ = false;
  bool autoSize_ = false;
  bool clickPending_ = false;
};

// Static text, transparent unless given a colour.
class TLabel : public TControl {
 public:
  TLabel(TControl* parent, std::string name, std::string caption = {});

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  Alignment GetAlignment() const { return alignment_; }
  void SetAlignment(Alignment alignment);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool wordWrap);
  Color FontColor() const { return fontColor_; }
  void SetFontColor(const Color& color);

 protected:
  // Without word wrap: the caption's extent in the label's font.
  bool CanAutoSize(int& newWidth, int& newHeight) override;
  void FontChanged() override { AdjustSize(); }

 private:
  std::string caption_;
  Alignment alignment_ = Alignment::Left;
  bool wordWrap_ = false;
  Color fontColor_ = colors::black;
};

// A plain rectangle: pen for the outline, brush for the inside.
class TShape : public TControl {
 public:
  TShape(TControl* parent, std::string name);

  struct Pen {
    Color color = colors::black;
    PenStyle style = PenStyle::Solid;
    int width = 1;
  };
  struct Brush {
    Color color = colors::white;
    BrushStyle style = BrushStyle::Solid;
  };

  const Pen& GetPen() const { return pen_; }
  const Brush& GetBrush() const { return brush_; }
  // PenStyle::None draws no outline.
  void SetPen(const Color& color, PenStyle style = PenStyle::Solid, int width = 1);
  // BrushStyle::None leaves the inside clear.
  void SetBrush(const Color& color, BrushStyle style = BrushStyle::Solid);

 private:
  Pen pen_;
  Brush brush_;
};

// A captioned etched frame; its children sit in its own coordinates.
class TGroupBox : public TControl {
 public:
  TGroupBox(TControl* parent, std::string name, std::string caption = {});

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);

 private:
  std::string caption_;
};

// A container with an outer and an inner one-pixel bevel.
class TPanel : public TControl {
 public:
  TPanel(TControl* parent, std::string name);

  Bevel Outer() const { return outer_; }
  Bevel Inner() const { return inner_; }
  void SetBevels(Bevel outer, Bevel inner);

 private:
  Bevel outer_ = Bevel::Raised;
  Bevel inner_ = Bevel::None;
};

// An embedded child window with its own layout, clipped to its bounds.
class TFrame : public TControl {
 public:
  TFrame(TControl* parent, std::string name);
};

// A picture control: the artwork file <Name>.jpg drawn unscaled from the top-left.
class TImage : public TControl {
 public:
  TImage(TControl* parent, std::string name);

  std::string PictureFile() const { return Name() + ".jpg"; }
};

// A check box; with AllowGrayed each click steps unchecked, grayed, checked.
class TCheckBox : public TControl {
 public:
  TCheckBox(TControl* parent, std::string name, std::string caption = {});

  // Safe from any thread.
  CheckBoxState State() const { return state_.load(std::memory_order_relaxed); }
  // Window thread; a change runs OnClick, as a user's click does.
  void SetState(CheckBoxState state);
  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool allowGrayed) { allowGrayed_ = allowGrayed; }
  void Click() override;
  const std::string& Caption() const { return caption_; }

 private:
  std::string caption_;
  std::atomic<CheckBoxState> state_{CheckBoxState::Unchecked};
  bool allowGrayed_ = false;
};

// Creates a control of the window's layout at its place.
template <class Control, class... Args>
Control* Place(TControl* parent, const std::string& name, int left, int top, int width, int height, Args&&... args) {
  auto* control = new Control(parent, name, std::forward<Args>(args)...);
  control->SetBounds(left, top, width, height);
  return control;
}

// A window-thread timer with an integer tag; the host runs it while enabled.
class TTimer {
 public:
  TTimer(TControl* owner, std::string name, int intervalMs);
  ~TTimer();
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;

  const std::string& Name() const { return name_; }
  int Tag() const { return tag_.load(std::memory_order_relaxed); }
  void SetTag(int tag) { tag_.store(tag, std::memory_order_relaxed); }
  int Interval() const { return intervalMs_; }
  void SetInterval(int intervalMs);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  // What the host calls at each interval.
  void Fire();

  std::function<void(TTimer* sender)> OnTimer;

 private:
  void Changed();

  std::string name_;
  WindowHost* host_;  // runs the timer
  int intervalMs_;
  bool enabled_ = false;
  std::atomic<int> tag_{0};
};
