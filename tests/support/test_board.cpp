#include "tests/support/test_board.h"

#include <gtest/gtest.h>

#include "board/periodic_update.h"

namespace {

// The board the tests' bare requests go to: one at a time.
std::atomic<HardwareState*> liveBoard{nullptr};

}  // namespace

int32_t HardwareRequest(uint8_t op, int32_t arg) {
  HardwareState* board = liveBoard.load();
  if (!board) {
    ADD_FAILURE() << "a request with no TestBoard alive: make one first";
    return 0;
  }
  return HardwareRequest(*board, op, arg);
}

TestBoard::TestBoard()
    : board_(std::make_unique<HardwareState>(periodicUpdate)),
      own_(std::make_unique<Firmware>(*board_)),
      firmware_(own_.get()),
      stepper_(periodicUpdate, firmware_) {
  Publish();
}

TestBoard::TestBoard(Firmware& firmware)
    : board_(std::make_unique<HardwareState>(periodicUpdate)), firmware_(&firmware), stepper_(periodicUpdate, firmware_) {
  Publish();
}

void TestBoard::Publish() {
  board_->analogueSource = &analogue;
  board_->StorePort(portSystemInputs, idleSystemInputs);
  board_->StorePort(portFwpInputs, fwpInputSwitches);
  board_->StorePort(portMonitorInputs, idleMonitorInputs);
  periodicUpdate.boardInstance.store(board_.get());
  liveBoard.store(board_.get());
}

TestBoard::~TestBoard() {
  periodicUpdate.boardInstance.store(nullptr);
  liveBoard.store(nullptr);
  board_.reset();
}

void TestBoard::Advance(int64_t ms) {
  const int64_t end = stepper_.NowMs() + ms;
  while (stepper_.NowMs() < end) {
    if (earthFollows) board_->AssignPortBits(portSystemInputs, sysEarthDetect, board_->Port(portLedsRelays) & earthLevelHigh);
    stepper_.Step();
  }
}

RequestRecorder::RequestRecorder(HardwareState& board) : board_(board) {
  board_.requestObserver.Set(
      [](uint8_t op, int32_t arg, int32_t result, void* context) {
        static_cast<RequestRecorder*>(context)->calls.push_back({op, arg, result});
      },
      this);
}

RequestRecorder::~RequestRecorder() { board_.requestObserver.Set(nullptr, nullptr); }

std::vector<uint8_t> RequestRecorder::Ops() const {
  std::vector<uint8_t> ops;
  for (const RecordedRequest& call : calls) ops.push_back(call.op);
  return ops;
}
