#include "qt/event_log_window.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>
#include <fstream>

#include "qt/form_widget.h"
#include "windows/hardwarecontrol.h"
#include "windows/placement.h"

namespace {

constexpr EventCategory categories[] = {EventCategory::Fire,      EventCategory::Fault,    EventCategory::Disablement,
                                        EventCategory::Test,      EventCategory::Output,   EventCategory::Operator,
                                        EventCategory::Configuration, EventCategory::Hardware};
constexpr int allCategories = 0;

QString PanelTime(int64_t ms) { return QString::fromStdString(PanelSeconds(ms) + " s"); }

WindowBox BoxOf(const QRect& rect) { return {rect.left(), rect.top(), rect.width(), rect.height()}; }

// The simulator's two windows as framed on the screen, the hardware window first.
std::pair<const FormWidget*, const FormWidget*> SimulatorWindows() {
  std::pair<const FormWidget*, const FormWidget*> found{};
  for (const QWidget* window : QApplication::topLevelWidgets()) {
    const auto* form = dynamic_cast<const FormWidget*>(window);
    if (!form || !form->isVisible()) continue;
    (dynamic_cast<const TfrmHardwareControl*>(&form->Form()) ? found.first : found.second) = form;
  }
  return found;
}

}  // namespace

EventLogWindow::EventLogWindow() : category_(new QComboBox), table_(new QTableWidget(0, 3)) {
  setWindowTitle("Event Log");
  category_->addItem("All categories");
  for (EventCategory category : categories) category_->addItem(CategoryName(category));
  table_->setHorizontalHeaderLabels({"Panel time", "Category", "Event"});
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->verticalHeader()->hide();
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  auto* exportButton = new QPushButton("Export CSV...");
  auto* bar = new QHBoxLayout;
  bar->addWidget(category_);
  bar->addStretch();
  bar->addWidget(exportButton);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(bar);
  layout->addWidget(table_);
  resize(560, 360);
  connect(category_, &QComboBox::currentIndexChanged, this, [this] { Filter(); });
  connect(exportButton, &QPushButton::clicked, this, [this] {
    const QString path = QFileDialog::getSaveFileName(this, "Export the event log", "events.csv", "CSV (*.csv)");
    if (!path.isEmpty() && !Export(path.toStdString())) {
      QMessageBox::warning(this, "Event Log", "Cannot write " + path + ": choose a writable folder.");
    }
  });
}

void EventLogWindow::Add(const PanelEvent& event) {
  events_.push_back(event);
  const int row = table_->rowCount();
  table_->insertRow(row);
  table_->setItem(row, 0, new QTableWidgetItem(PanelTime(event.panelMs)));
  table_->setItem(row, 1, new QTableWidgetItem(CategoryName(event.category)));
  table_->setItem(row, 2, new QTableWidgetItem(QString::fromStdString(event.text)));
  table_->setRowHidden(row, !Shown(event));
  if (Shown(event)) table_->scrollToBottom();
}

void EventLogWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (placed_) return;
  placed_ = true;
  Place();
}

// In screen pixels, its frame taken to be as the hardware window's.
void EventLogWindow::Place() {
  const auto [hardware, front] = SimulatorWindows();
  if (!hardware || !front || !screen()) return;
  const QRect outer = hardware->frameGeometry();
  const QRect inner = hardware->geometry();
  const QSize frame = outer.size() - inner.size();
  const QRect work = screen()->availableGeometry();
  const WindowBox wanted{0, 0, width() + frame.width(), height() + frame.height()};
  const WindowBox placed = PlaceAside({work.left(), work.top(), work.width(), work.height()}, wanted,
                                      BoxOf(outer), BoxOf(front->frameGeometry()));
  resize(placed.width - frame.width(), placed.height - frame.height());
  MoveFrame(*this, {placed.left, placed.top});
}

bool EventLogWindow::Shown(const PanelEvent& event) const {
  const int chosen = category_->currentIndex();
  return chosen == allCategories || categories[chosen - 1] == event.category;
}

void EventLogWindow::Filter() {
  for (size_t row = 0; row < events_.size(); ++row) table_->setRowHidden(int(row), !Shown(events_[row]));
  table_->scrollToBottom();
}

bool EventLogWindow::Export(const std::string& path) const {
  std::ofstream file(path, std::ios::binary);
  WriteEventCsvHeader(file);
  for (const PanelEvent& event : events_) {
    if (Shown(event)) WriteEventCsvRow(file, event);
  }
  return bool(file.flush());
}
