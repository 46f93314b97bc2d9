#include "qt/event_log_window.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <fstream>

namespace {

constexpr EventCategory categories[] = {EventCategory::Fire,      EventCategory::Fault,    EventCategory::Disablement,
                                        EventCategory::Test,      EventCategory::Output,   EventCategory::Operator,
                                        EventCategory::Configuration, EventCategory::Hardware};
constexpr int allCategories = 0;

QString PanelTime(int64_t ms) { return QString::fromStdString(PanelSeconds(ms) + " s"); }

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
